#include "KeyReceiver.h"

#include <QKeyEvent>

namespace qp {

KeyReceiver::KeyReceiver(QWidget* parent)
    : QPlainTextEdit(parent)
{
    setTabChangesFocus(false);
    setUndoRedoEnabled(false);
    setContextMenuPolicy(Qt::NoContextMenu);
    setFocusPolicy(Qt::StrongFocus);
}

bool KeyReceiver::event(QEvent* e)
{
    switch (e->type()) {
    case QEvent::ShortcutOverride:
        e->accept();  // every key is ours, not a shortcut's
        return true;
    case QEvent::KeyPress:
        if (onKeyDown)
            onKeyDown(static_cast<QKeyEvent*>(e));
        e->accept();
        return true;
    case QEvent::KeyRelease:
        if (onKeyUp)
            onKeyUp(static_cast<QKeyEvent*>(e));
        e->accept();
        return true;
    case QEvent::InputMethod:
        e->accept();
        return true;
    default:
        return QPlainTextEdit::event(e);
    }
}

}  // namespace qp
