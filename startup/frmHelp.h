#pragma once

#include <QWidget>

// The operator's help: fixed text with the default keys. One window for the whole run.
class frmHelp : public QWidget {
    Q_OBJECT

public:
    // Shows the one help window, making it on first use.
    static void ShowHelp();
    static frmHelp *Instance();
    static void DestroyInstance();

private:
    frmHelp();
};
