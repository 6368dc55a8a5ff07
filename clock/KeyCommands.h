#pragma once

// The command keys, which every field hands each typed character to before its own entry.
class KeyCommands {
public:
    virtual ~KeyCommands() = default;
    virtual void AllKeyPress(int keyAscii) = 0;
};
