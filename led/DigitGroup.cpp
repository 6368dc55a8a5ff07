#include "led/DigitGroup.h"

DigitGroup::~DigitGroup() = default;
SeparatorDots::~SeparatorDots() = default;
