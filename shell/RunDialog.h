#pragma once
// RunDialog: the "Run new command" dialog.

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace qp {

class RunDialog : public QDialog {
    Q_OBJECT
public:
    explicit RunDialog(QWidget* parent = nullptr);
    QString commandLine() const;
    QLineEdit* edit() const { return m_edit; }

    static constexpr const char* kFileFilter =
        "All executable files (*.com *.exe *.bat *.cmd *.lnk);;All files (*.*)";

private:
    void browse();
    QLineEdit* m_edit;
};

// Shows the dialog modally. True and the entered command line when confirmed with OK;
// otherwise false and command left as it was.
bool ShowRunDialog(QWidget* parent, QString& command);

}  // namespace qp
