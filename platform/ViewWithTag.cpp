// SPDX-License-Identifier: MIT
#include "platform/ViewWithTag.h"

#include <QVariant>
#include <QWidget>

QWidget *ViewWithTag(QWidget *root, int tag) {
    if (!root)
        return nullptr;
    const QVariant value = root->property("tag");
    if (value.isValid() && value.toInt() == tag)
        return root;
    for (QObject *child : root->children()) {
        if (auto *widget = qobject_cast<QWidget *>(child)) {
            if (QWidget *found = ViewWithTag(widget, tag))
                return found;
        }
    }
    return nullptr;
}
