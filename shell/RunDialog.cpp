#include "RunDialog.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "AboutBox.h"

namespace qp {

RunDialog::RunDialog(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Run new command"));
    setFixedSize(561, 101);

    auto* label = new QLabel(QStringLiteral("Command line"), this);
    m_edit = new QLineEdit(this);
    m_edit->setFixedWidth(503);
    label->setBuddy(m_edit);
    auto* browseButton = new QPushButton(QStringLiteral("..."), this);
    browseButton->setObjectName(QStringLiteral("browse"));
    browseButton->setFixedWidth(32);
    auto* ok = new QPushButton(QStringLiteral("O&K"), this);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cancel"));

    auto* editRow = new QHBoxLayout;
    editRow->addWidget(m_edit);
    editRow->addWidget(browseButton);
    editRow->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addLayout(editRow);
    layout->addLayout(buttons);

    connect(browseButton, &QPushButton::clicked, this, &RunDialog::browse);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

QString RunDialog::commandLine() const { return m_edit->text(); }

void RunDialog::browse()
{
    const QString file = QFileDialog::getOpenFileName(this, QString(), QString(), QString::fromLatin1(kFileFilter));
    if (!file.isEmpty())
        m_edit->setText(QFileInfo(file).absoluteFilePath());
}

bool ShowRunDialog(QWidget* parent, QString& command)
{
    RunDialog dialog(parent);
    CentreOnScreen(dialog);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    command = dialog.commandLine();
    return true;
}

}  // namespace qp
