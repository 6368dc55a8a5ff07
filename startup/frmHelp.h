#pragma once

#include <QWidget>

// The operator's help: fixed text with the default keys. One window for the whole run.
class frmHelp : public QWidget {
    Q_OBJECT

public:
    struct Item {
        int top;
        int height;
        int level; // 0 heading, 1 and 2 paragraph levels
        int width;
        const char *text;
    };
    static const QList<Item> &Items();

    // Shows the one help window, making it on first use.
    static void ShowHelp();
    static frmHelp *Instance();
    static void DestroyInstance();

private:
    frmHelp();
};
