#include "ui/TownList.h"

#include "book/Places.h"
#include "data/Engine.h"
#include "data/MessageService.h"
#include "ui/Widgets.h"

#include <QComboBox>

namespace sorvane::ui {

TownList::TownList(AppContext &ctx, MessageService &messages, QComboBox *prefecture, QComboBox *town)
    : QObject(prefecture), m_ctx(ctx), m_messages(messages), m_prefecture(prefecture), m_town(town)
{
    onFocusOut(m_prefecture, [this] { prefectureLeft(); });
}

void TownList::loadPrefectures()
{
    m_prefecture->clear();
    m_town->clear();
    m_townOf.clear();
    m_listOf.clear();
    m_prefecture->addItems(book::prefectures(m_ctx));
    clearCombo(m_prefecture);
}

void TownList::show(const QString &prefecture, const QString &town)
{
    m_prefecture->setEditText(prefecture);
    m_town->setEditText(town);
    m_townOf = prefecture.trimmed();
}

void TownList::clear()
{
    clearCombo(m_prefecture);
    m_town->clear();
    clearCombo(m_town);
    m_townOf.clear();
    m_listOf.clear();
}

void TownList::clearTexts()
{
    clearCombo(m_prefecture);
    clearCombo(m_town);
    m_townOf.clear();
}

QString TownList::prefecture() const
{
    return m_prefecture->currentText().trimmed();
}

QString TownList::town() const
{
    return m_town->currentText();
}

void TownList::prefectureLeft()
{
    const QString now = prefecture();
    const bool changed = now != m_townOf;
    const QString keep = changed ? QString() : m_town->currentText();
    m_townOf = now;
    if (now.isEmpty()) {
        m_town->clear();
        m_listOf.clear();
        clearCombo(m_town);
        return;
    }
    if (now != m_listOf) {
        m_town->clear();
        m_listOf.clear();
        try {
            m_town->addItems(book::townsOf(m_ctx, now));
            m_listOf = now;
        } catch (const DbError &e) {
            m_messages.information(e.description());
        }
    }
    m_town->setCurrentIndex(-1);
    m_town->setEditText(keep);
}

} // namespace sorvane::ui
