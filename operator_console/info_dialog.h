#pragma once
// What the console's small information dialogs share.
#include <QString>
#include <string>

class QWidget;

// Left and top so that the dialog sits centred over the main window.
void CentreOverMainWindow(QWidget& dialog);
// A label text of the console (Windows-1250, "\r" between lines).
QString LabelText(const std::string& cp1250Text);
