#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
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

// What a question box showed, and the answer it was given.
struct Asked {
    QString text;
    QStringList buttons; // sorted
    QString defaultButton;
};

// Answers the next question box with "Enter", "Esc" or a button's text, noting what it
// showed in `asked`.
inline void answerQuestion(const QString &answer, Asked *asked) {
    whileModal([answer, asked](QDialog *d) {
        auto box = qobject_cast<QMessageBox *>(d);
        QVERIFY(box);
        asked->text = box->text();
        for (QAbstractButton *b : box->buttons())
            asked->buttons << b->text();
        asked->buttons.sort();
        if (box->defaultButton())
            asked->defaultButton = box->defaultButton()->text();
        if (answer == QLatin1String("Enter"))
            QTest::keyClick(box, Qt::Key_Return);
        else if (answer == QLatin1String("Esc"))
            QTest::keyClick(box, Qt::Key_Escape);
        else
            for (QAbstractButton *b : box->buttons())
                if (b->text() == answer)
                    b->click();
    });
}
