#pragma once

#include "clock/Match.h"

#include <QJsonObject>
#include <QString>
#include <optional>

// A command from another device, as its JSON names it, turned into the command the board's
// keys would give. The buzzer and a stoppage key's start-or-stop are the keys' too.
namespace ControlCommand {

struct Parsed {
    std::optional<MatchCommand> command; // none for the buzzer
    bool buzzer = false;
};

// Nothing, with why, for a command that names nothing the keys give, or a field, side, move
// or value it cannot take.
std::optional<Parsed> Parse(const QJsonObject &json, const Match &match, QString *why);

} // namespace ControlCommand
