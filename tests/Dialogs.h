#pragma once

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <functional>

// Runs `inside` as soon as the next modal dialog is up (its exec() would block the test
// otherwise); a dialog still open afterwards is cancelled.
inline void whileModal(std::function<void(QDialog *)> inside) {
    QTimer::singleShot(0, [inside] {
        QTRY_VERIFY(qobject_cast<QDialog *>(QApplication::activeModalWidget()));
        QPointer<QDialog> dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        inside(dialog);
        if (dialog && dialog->isVisible())
            dialog->reject();
    });
}
