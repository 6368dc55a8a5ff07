#include "scoreboard/BuzzerDevice.h"

BuzzerDevice::~BuzzerDevice() = default;
