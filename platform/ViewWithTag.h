// SPDX-License-Identifier: MIT
#pragma once

class QWidget;

// The first widget in `root`'s tree (root included, depth first) whose integer
// property "tag" is `tag`; null when there is none.
QWidget *ViewWithTag(QWidget *root, int tag);
