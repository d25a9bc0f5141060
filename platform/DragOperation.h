// SPDX-License-Identifier: MIT
#pragma once

#include <QDropEvent>

// The drag operations of the drop targets: 2 links, 0 refuses.
inline constexpr int kDragOperationNone = 0;
inline constexpr int kDragOperationLink = 2;

// Answers a drag (entering, or dropped) with `operation`: accepted as a
// link, or ignored.
inline void AnswerDrag(QDropEvent *event, int operation) {
    if (operation == kDragOperationLink) {
        event->setDropAction(Qt::LinkAction);
        event->accept();
    } else {
        event->ignore();
    }
}
