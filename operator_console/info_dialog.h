#pragma once
// Label texts of the console's small information dialogs.
#include <QLabel>
#include <QString>
#include <string>

// A label text of the console (Windows-1250, "\r" between lines).
QString LabelText(const std::string& cp1250Text);
// What a label shows, as such a text.
std::string ShownText(const QLabel& label);
