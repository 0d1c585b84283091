#include "help/ManualWindow.h"

#include "ui/Widgets.h"

#include <QHBoxLayout>
#include <QImage>
#include <QKeyEvent>

#include <functional>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace sorvane {

namespace {

constexpr int kSectionRole = Qt::UserRole;
// Shots wider than this are shown smaller, so that none is cut off beside
// the contents; the files keep the windows' own size.
constexpr int kShownImageWidth = 700;

class ManualBrowser : public QTextBrowser {
public:
    using QTextBrowser::QTextBrowser;

    QVariant loadResource(int type, const QUrl &name) override
    {
        QVariant loaded = QTextBrowser::loadResource(type, name);
        if (type != QTextDocument::ImageResource)
            return loaded;
        QImage image;
        if (loaded.canConvert<QImage>())
            image = loaded.value<QImage>();
        else if (loaded.canConvert<QByteArray>())
            image.loadFromData(loaded.toByteArray());
        if (image.isNull() || image.width() <= kShownImageWidth)
            return loaded;
        return image.scaledToWidth(kShownImageWidth, Qt::SmoothTransformation);
    }
};

// Where the anchor of that name stands in the document (-1: nowhere).
int anchorPosition(const QTextDocument *doc, const QString &anchor)
{
    if (anchor.isEmpty())
        return 0;
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            if (f.isValid() && f.charFormat().anchorNames().contains(anchor))
                return f.position();
        }
    }
    return -1;
}

// Enter in the search field searches: there is no next field to move to,
// and the windows' own Enter rule would only move the focus on.
class SearchOnEnter : public QObject {
public:
    SearchOnEnter(QObject *parent, std::function<void()> search) : QObject(parent), m_search(std::move(search)) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                m_search();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_search;
};

} // namespace

ManualWindow::ManualWindow(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("操作方法"));
    setWindowTitle(QStringLiteral("操作方法"));
    setFont(ui::gothicFont());

    m_contents = ui::named<QTreeWidget>(this, QStringLiteral("目次"));
    m_contents->setHeaderLabel(QStringLiteral("目次"));
    m_query = ui::named<QLineEdit>(this, QStringLiteral("検索語"));
    m_query->setPlaceholderText(QStringLiteral("例: 譲渡 期日"));
    auto *find = ui::button(this, QStringLiteral("検索ボタン"), QStringLiteral("検索"));
    m_message = ui::named<QLabel>(this, QStringLiteral("検索メッセージ"));
    m_message->setWordWrap(true);
    m_results = ui::named<QListWidget>(this, QStringLiteral("検索結果"));
    // Long lines wrap: a place found is read whole, never scrolled sideways.
    m_results->setWordWrap(true);
    m_results->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_browser = new ManualBrowser(this);
    m_browser->setObjectName(QStringLiteral("本文"));
    m_browser->setOpenLinks(true);
    m_browser->setOpenExternalLinks(false);
    m_browser->setSearchPaths({help::Manual::resourceFolder()});
    auto *back = ui::button(this, QStringLiteral("戻るボタン"), QStringLiteral("戻る"));
    auto *contentsTop = ui::button(this, QStringLiteral("目次ボタン"), QStringLiteral("はじめに"));
    auto *close = ui::button(this, QStringLiteral("閉じるボタン"), QStringLiteral("閉じる"));

    auto *left = new QWidget(this);
    auto *leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->addWidget(m_contents, 3);
    auto *searchRow = new QHBoxLayout;
    searchRow->addWidget(ui::label(this, QStringLiteral("検索ラベル"), QStringLiteral("検索"), m_query));
    searchRow->addWidget(m_query, 1);
    searchRow->addWidget(find);
    leftLayout->addLayout(searchRow);
    leftLayout->addWidget(m_message);
    leftLayout->addWidget(m_results, 2);

    auto *split = new QSplitter(this);
    split->addWidget(left);
    split->addWidget(m_browser);
    split->setStretchFactor(1, 1);
    split->setSizes({300, 780});

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(split, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(back);
    buttons->addWidget(contentsTop);
    buttons->addStretch(1);
    buttons->addWidget(close);
    layout->addLayout(buttons);
    resize(1100, 720);

    fillContents();
    connect(m_contents, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem *item) { onContentsClicked(item); });
    connect(m_contents, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem *item) { onContentsClicked(item); });
    connect(m_results, &QListWidget::currentRowChanged, this, [this](int row) { onResultClicked(row); });
    connect(m_results, &QListWidget::itemClicked, this,
            [this](QListWidgetItem *item) { onResultClicked(m_results->row(item)); });
    connect(find, &QPushButton::clicked, this, [this] { search(m_query->text()); });
    connect(back, &QPushButton::clicked, m_browser, &QTextBrowser::backward);
    connect(m_browser, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    back->setEnabled(false);
    connect(contentsTop, &QPushButton::clicked, this,
            [this] { showSection(help::Manual::pages().constFirst(), QString()); });
    connect(close, &QPushButton::clicked, this, &QDialog::close);

    ui::finishWindow(this);
    // Installed after the windows' Enter rule, so it sees the key first.
    m_query->installEventFilter(new SearchOnEnter(m_query, [this] { search(m_query->text()); }));
    ui::chainTabOrder({m_query, find, m_results, m_contents, m_browser, back, contentsTop, close});
    showSection(help::Manual::pages().constFirst(), QString());
}

void ManualWindow::fillContents()
{
    QTreeWidgetItem *pageItem = nullptr;
    QTreeWidgetItem *sectionItem = nullptr;
    const QList<help::Section> &sections = m_manual.sections();
    for (int i = 0; i < sections.size(); ++i) {
        const help::Section &s = sections[i];
        QTreeWidgetItem *item = nullptr;
        if (s.level == 1 || !pageItem) {
            item = new QTreeWidgetItem(m_contents);
            pageItem = item;
            sectionItem = nullptr;
        } else if (s.level == 2 || !sectionItem) {
            item = new QTreeWidgetItem(pageItem);
            sectionItem = item;
        } else {
            item = new QTreeWidgetItem(sectionItem);
        }
        item->setText(0, s.title);
        item->setData(0, kSectionRole, i);
    }
}

void ManualWindow::onContentsClicked(QTreeWidgetItem *item)
{
    const int i = item->data(0, kSectionRole).toInt();
    const help::Section &s = m_manual.sections().at(i);
    showSection(s.page, s.anchor);
}

void ManualWindow::onResultClicked(int row)
{
    if (row < 0 || row >= m_hits.size())
        return;
    const help::Section &s = m_manual.sections().at(m_hits[row].section);
    const QStringList words = help::Manual::words(m_lastQuery);
    showSection(s.page, s.anchor, words.value(0));
}

bool ManualWindow::showSection(const QString &page, const QString &anchor, const QString &word)
{
    const QUrl wanted = help::Manual::pageUrl(page, anchor);
    if (m_browser->source().adjusted(QUrl::RemoveFragment) != wanted.adjusted(QUrl::RemoveFragment))
        m_browser->setSource(wanted);
    const int at = anchorPosition(m_browser->document(), anchor);
    if (at < 0)
        return false;
    if (anchor.isEmpty())
        m_browser->verticalScrollBar()->setValue(0);
    else
        m_browser->scrollToAnchor(anchor);
    if (!word.isEmpty())
        selectWord(anchor, word);
    return true;
}

void ManualWindow::selectWord(const QString &anchor, const QString &word)
{
    QTextDocument *doc = m_browser->document();
    const int from = std::max(0, anchorPosition(doc, anchor));
    // The word as typed, else as the manual writes it (half-width letters and digits).
    QTextCursor found = doc->find(word, from);
    if (found.isNull())
        found = doc->find(word.normalized(QString::NormalizationForm_KC), from);
    if (found.isNull())
        return;
    m_browser->setTextCursor(found);
    m_browser->ensureCursorVisible();
}

void ManualWindow::search(const QString &query)
{
    m_lastQuery = query;
    m_query->setText(query);
    m_hits = m_manual.search(query);
    m_message->setText(help::Manual::resultText(query, int(m_hits.size())));
    const QSignalBlocker quiet(m_results);
    m_results->clear();
    for (const help::Hit &h : std::as_const(m_hits)) {
        const help::Section &s = m_manual.sections().at(h.section);
        auto *item = new QListWidgetItem(s.title + u'\n' + h.excerpt, m_results);
        item->setToolTip(h.excerpt);
    }
    if (!m_hits.isEmpty()) {
        m_results->setCurrentRow(0);
        onResultClicked(0);
    }
}

} // namespace sorvane
