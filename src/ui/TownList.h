#pragma once

// The place of payment's prefecture and town, as every window with these two
// fields handles them: leaving the prefecture fills the town list from
// yubin.mdb, and the town typed or loaded is cleared only when the
// prefecture really changed. Tabbing through a loaded bill or template
// keeps its town.

#include <QObject>
#include <QString>

class QComboBox;

namespace sorvane {

class AppContext;
class MessageService;

namespace ui {

class TownList : public QObject {
public:
    // Failures to read the towns are shown through `messages`.
    TownList(AppContext &ctx, MessageService &messages, QComboBox *prefecture, QComboBox *town);

    // Fills the prefecture list (the texts of both fields are emptied).
    // Throws DbError.
    void loadPrefectures();

    // Shows a stored prefecture and town (a loaded bill or template). The
    // town list is not read: it follows when the prefecture is left.
    void show(const QString &prefecture, const QString &town);

    // Empties both texts and the town list.
    void clear();
    // Empties both texts; the town list stays, as the other pick lists of
    // a window stay when its fields are cleared.
    void clearTexts();

    // The prefecture as stored: the text trimmed.
    QString prefecture() const;
    QString town() const;

    // What leaving the prefecture does; public for the windows that run it
    // from elsewhere.
    void prefectureLeft();

private:
    AppContext &m_ctx;
    MessageService &m_messages;
    QComboBox *m_prefecture;
    QComboBox *m_town;
    QString m_townOf; // the prefecture the town text belongs to
    QString m_listOf; // the prefecture the town list was read for
};

} // namespace ui
} // namespace sorvane
