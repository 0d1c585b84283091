#pragma once

// Every message box of the program goes through this interface, so that the
// windows show real boxes and the tests answer scripted ones.

#include <QString>

namespace sorvane {

class MessageService {
public:
    virtual ~MessageService() = default;

    // A box with the text and an OK button, no icon; no title unless given.
    virtual void information(const QString &text, const QString &title = {}) = 0;
    // A box with OK and Cancel; true when the user chose OK.
    virtual bool confirm(const QString &text, const QString &title = {}) = 0;
};

} // namespace sorvane
