#pragma once

// The rows behind a long list, read a page at a time when a line of the page
// is first shown. The list knows all its keys from one query; a hundred
// thousand bills then cost one number each until their lines are looked at.
// A page once read is kept until the list is filled again, so a line reads
// the same however often it is painted.

#include "ui/LineList.h"

#include <QHash>
#include <QList>
#include <QString>

#include <exception>
#include <functional>
#include <optional>
#include <unordered_map>
#include <vector>

namespace sorvane::ui {

template <typename Row> class PagedRows {
public:
    // Reads the rows of some keys, in any order; rows carry their key in `id`.
    using Fetch = std::function<std::vector<Row>(const QList<qint64> &ids)>;
    static constexpr int kPageSize = 100;

    void reset(QList<qint64> ids, Fetch fetch)
    {
        m_ids = std::move(ids);
        m_fetch = std::move(fetch);
        m_pages.clear();
    }
    void clear() { reset({}, {}); }

    int size() const { return int(m_ids.size()); }
    const QList<qint64> &ids() const { return m_ids; }
    // The key of a line, or 0 for a position without one.
    qint64 idAt(int line) const { return line >= 0 && line < size() ? m_ids.at(line) : 0; }

    // The row of a line, or nullptr when its row is gone or cannot be read
    // (a page that failed is tried again the next time it is shown).
    const Row *row(int line)
    {
        if (line < 0 || line >= size() || !m_fetch)
            return nullptr;
        const int page = line / kPageSize;
        auto it = m_pages.find(page);
        if (it == m_pages.end()) {
            std::optional<std::vector<std::optional<Row>>> loaded = load(page);
            if (!loaded)
                return nullptr;
            it = m_pages.emplace(page, std::move(*loaded)).first;
        }
        const std::optional<Row> &slot = it->second[std::size_t(line % kPageSize)];
        return slot ? &*slot : nullptr;
    }

private:
    std::optional<std::vector<std::optional<Row>>> load(int page)
    {
        const qsizetype first = qsizetype(page) * kPageSize;
        const QList<qint64> keys = m_ids.mid(first, kPageSize);
        std::vector<Row> rows;
        try {
            rows = m_fetch(keys);
        } catch (const std::exception &) {
            // Painting cannot report a failure; the line stays empty.
            return std::nullopt;
        }
        // A key listed twice shows its row on both lines.
        QMultiHash<qint64, qsizetype> slotOf;
        slotOf.reserve(keys.size());
        for (qsizetype i = 0; i < keys.size(); ++i)
            slotOf.insert(keys.at(i), i);
        std::vector<std::optional<Row>> lines(std::size_t(keys.size()));
        for (const Row &r : rows)
            for (auto it = slotOf.constFind(r.id); it != slotOf.constEnd() && it.key() == r.id; ++it)
                lines[std::size_t(it.value())] = r;
        return lines;
    }

    QList<qint64> m_ids;
    Fetch m_fetch;
    std::unordered_map<int, std::vector<std::optional<Row>>> m_pages;
};

// Fills the list with a line per key: each line is laid out from its row,
// read with the page around it, when it is first shown.
template <typename Row, typename LineOf>
void fillLines(LineList *list, PagedRows<Row> &rows, QList<qint64> ids, typename PagedRows<Row>::Fetch fetch,
               LineOf lineOf)
{
    const int count = int(ids.size());
    rows.reset(std::move(ids), std::move(fetch));
    list->setLines(count, [&rows, lineOf](int line) {
        const Row *row = rows.row(line);
        return row ? lineOf(*row) : QString();
    });
}

} // namespace sorvane::ui
