#pragma once
// Small helpers several windows share.
#include <string>

class QWidget;

// Moves widget so that its centre lies on parent's centre (in the coordinates
// both report); nothing when parent is null.
void centerOnWidget(QWidget* widget, QWidget* parent);

// Puts the text (UTF-8) on the clipboard as plain text.
void copyTextToClipboard(const std::string& text);
