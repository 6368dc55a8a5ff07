#pragma once

#include <QByteArray>

class QWidget;

// The picture of a board window as data for the browser pages (GET /layout.json): the
// design size and every field, digit, label, shape and separator dot at its recorded
// design geometry in twips, and the lit parts of every digit in both styles. Walks the
// live window, so the pages draw what the window draws. The window's layout must have
// been recorded (modStretch::RecordLayout); a control the record lacks is taken as it is.
QByteArray LayoutJson(QWidget *window);
