// SPDX-License-Identifier: MIT
#pragma once

#include <QDropEvent>

// The drag operations of the drop targets: 2 links, 0 refuses.
inline constexpr int kDragOperationNone = 0;
inline constexpr int kDragOperationLink = 2;

// Answers a drag (entering, or dropped) with `operation`: accepted as a
// link, or ignored. A source that lets no link be made is refused: Qt would
// turn the link into the source's own default, and a move would have the
// source delete a file that was only read. True when accepted.
inline bool AnswerDrag(QDropEvent *event, int operation) {
    if (operation == kDragOperationLink && event->possibleActions().testFlag(Qt::LinkAction)) {
        event->setDropAction(Qt::LinkAction);
        event->accept();
        return true;
    }
    event->setDropAction(Qt::IgnoreAction);
    event->ignore();
    return false;
}
