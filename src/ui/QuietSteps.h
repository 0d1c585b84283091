#pragma once

// Steps a window passes over when they fail (the parts of its load, a
// look-up on leaving a field): the window goes on without them. A lost
// connection to the server book is never passed over, since an empty list
// would read as an empty book: it is said, once for all the steps of one
// action.

#include "data/Engine.h"
#include "data/MessageService.h"

#include <exception>

namespace sorvane::ui {

class QuietSteps {
public:
    explicit QuietSteps(MessageService &messages) : m_messages(messages) {}

    // Runs the step; false when it failed.
    template <typename Step> bool operator()(Step &&step)
    {
        try {
            step();
            return true;
        } catch (const ConnectionLost &e) {
            if (!m_said)
                m_messages.information(e.description());
            m_said = true;
        } catch (const std::exception &) {
        }
        return false;
    }

    // Whether the connection was found lost.
    bool lost() const { return m_said; }

private:
    MessageService &m_messages;
    bool m_said = false;
};

// One step passed over quietly unless the connection was lost.
template <typename Step> bool quietly(MessageService &messages, Step &&step)
{
    return QuietSteps(messages)(step);
}

} // namespace sorvane::ui
