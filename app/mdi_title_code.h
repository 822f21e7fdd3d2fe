#pragma once
// The window title of each of the main window's two sub-windows is a
// three-character code K S A that tells the title-bar style what to draw:
//   K  '1' profile window, '2' height-map window (icon and name)
//   S  '0' normal, '1' minimised, '2' maximised (which buttons)
//   A  '1' active, '0' inactive (colours)
// A title of any other length is no code: the base style draws it.
#include <QString>
#include <Qt>

namespace MdiTitleCode {

constexpr int kLength = 3;
constexpr int kKind = 0;
constexpr int kState = 1;
constexpr int kActive = 2;

inline bool isCode(const QString& title) { return title.size() == kLength; }

// The code after a sub-window's state changed from oldState to newState.
// A title that is no code comes back unchanged.
QString afterStateChange(const QString& title, Qt::WindowStates oldState, Qt::WindowStates newState);

// The code with its active character cleared; no code comes back unchanged.
QString inactive(const QString& title);

}  // namespace MdiTitleCode
