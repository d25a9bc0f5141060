// SPDX-License-Identifier: MIT
#pragma once

#include "strings/AlertRequest.h"

#include <QMessageBox>

#include <memory>

// The message box that presents an alert: message, detail as informative
// text (both plain text, so "<" and "%" show as they are), buttons in the
// order default, alternate, other, Tavo's icon and window title. Escape
// answers as the last button of a question, and as OK beside a plain OK.
std::unique_ptr<QMessageBox> CreateAlertBox(const AlertRequest &request, QWidget *parent = nullptr);

// The code of the button that closed the box: 1 default, 0 alternate,
// -1 other. A box closed without a button answers as its escape button.
int AlertCode(const QMessageBox &box);

// Runs the box modally over the request's parent and answers its code; the
// presenter alerts use unless another is set.
int RunAlertBox(const AlertRequest &request);
