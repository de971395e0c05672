#pragma once
// The application's standard error box: the message, with a full stop appended when it
// lacks one, in a box captioned with the application title and the error icon.

#include <QString>

#include <exception>

class QWidget;

namespace qp {

QString StandardErrorText(const QString& message);
void ShowStandardError(QWidget* parent, const QString& message);
void ShowStandardError(QWidget* parent, const std::exception& error);
// The "Can't execute " box: the message and a single OK button.
void ShowCantExecute(QWidget* parent, const QString& message);

// The application title: "Quorvia Pallant", then the caption the main window shows.
QString ApplicationTitle();
void SetApplicationTitle(const QString& title);

}  // namespace qp
