#pragma once

// Message boxes and modal windows, through one seam: the program shows real
// ones, tests answer scripted ones and act inside the windows.

#include "data/MessageService.h"

class QDialog;
class QWidget;

namespace sorvane {

class UiService : public MessageService {
public:
    // Shows the window modally and returns when it has been closed, with
    // the window's result code.
    virtual int runModal(QDialog *window) = 0;
};

class QtUiService final : public UiService {
public:
    void information(const QString &text, const QString &title = {}) override;
    bool confirm(const QString &text, const QString &title = {}, Default preset = Default::Ok) override;
    int runModal(QDialog *window) override;
};

} // namespace sorvane
