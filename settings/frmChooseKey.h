#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// Captures one typed character as a key binding. The key the action already has is
// always taken again; a key another action holds, or one the board reserves, is refused.
class frmChooseKey : public QDialog {
    Q_OBJECT

public:
    // pendingKeys: the four bindings as the options dialog holds them now.
    frmChooseKey(QWidget *opener, const QList<int> &pendingKeys);

    static bool IsReserved(int key);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void Form_Load();
    void Form_KeyPress(int keyAscii);

    QList<int> m_pendingKeys;
    QWidget *m_opener;
    QLabel *m_lblChoose;
    QLabel *m_lblUsed;
    QPushButton *m_cmdCancel;
};
