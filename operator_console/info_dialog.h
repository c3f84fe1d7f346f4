#pragma once
// Label texts of the console's small information dialogs.
#include <QString>
#include <string>

// A label text of the console (Windows-1250, "\r" between lines).
QString LabelText(const std::string& cp1250Text);
