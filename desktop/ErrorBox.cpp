#include "ErrorBox.h"

#include <QMessageBox>

namespace qp {

namespace {
QString& title()
{
    static QString t = QStringLiteral("Quorvia Pallant");
    return t;
}
}  // namespace

QString ApplicationTitle() { return title(); }
void SetApplicationTitle(const QString& t) { title() = t; }

QString StandardErrorText(const QString& message)
{
    if (message.isEmpty() || message.endsWith(QLatin1Char('.')))
        return message;
    return message + QLatin1Char('.');
}

void ShowStandardError(QWidget* parent, const QString& message)
{
    QMessageBox box(QMessageBox::Critical, ApplicationTitle(), StandardErrorText(message), QMessageBox::Ok, parent);
    box.exec();
}

void ShowStandardError(QWidget* parent, const std::exception& error)
{
    ShowStandardError(parent, QString::fromUtf8(error.what()));
}

void ShowCantExecute(QWidget* parent, const QString& message)
{
    QMessageBox box(QMessageBox::NoIcon, ApplicationTitle(), message, QMessageBox::Ok, parent);
    box.exec();
}

}  // namespace qp
