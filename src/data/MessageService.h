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
    // Which button of a question Enter presses.
    enum class Default { Ok, Cancel };

    // A box with OK and Cancel; true when the user chose OK. A question
    // whose OK destroys something makes Cancel the default, so that Enter,
    // Enter never deletes.
    virtual bool confirm(const QString &text, const QString &title = {}, Default preset = Default::Ok) = 0;
};

} // namespace sorvane
