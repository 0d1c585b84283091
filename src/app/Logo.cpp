#include "app/Logo.h"

#include "ui/Widgets.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace sorvane {

namespace {

// A bill with its red stamp: the program's picture, drawn rather than shipped.
QPixmap logoPicture()
{
    QPixmap pm(120, 84);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(60, 80, 120), 2));
    p.setBrush(QColor(250, 246, 232));
    p.drawRoundedRect(QRectF(4, 8, 108, 68), 6, 6);
    p.setPen(QPen(QColor(60, 80, 120), 1));
    for (int y = 30; y <= 60; y += 10)
        p.drawLine(16, y, 72, y);
    p.setPen(QPen(QColor(200, 40, 40), 2));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(78, 26, 26, 26));
    QFont f = ui::gothicFont(11);
    f.setBold(true);
    p.setFont(f);
    p.setPen(QColor(200, 40, 40));
    p.drawText(QRectF(78, 26, 26, 26), Qt::AlignCenter, QStringLiteral("印"));
    p.setPen(QColor(60, 80, 120));
    p.setFont(ui::gothicFont(9));
    p.drawText(QRectF(16, 10, 70, 18), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("約束手形"));
    return pm;
}

} // namespace

QString Logo::versionText()
{
    return QStringLiteral("バージョン %1").arg(QStringLiteral(SORVANE_VERSION));
}

Logo::Logo(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Logo"));
    setWindowTitle(QStringLiteral("Sorvane"));
    setFont(ui::gothicFont());

    auto *frame = ui::named<QFrame>(this, QStringLiteral("Frame1"));
    frame->setFrameShape(QFrame::Box);

    auto *img = ui::named<QLabel>(frame, QStringLiteral("imgLogo"));
    img->setPixmap(logoPicture());

    auto *product = ui::named<QLabel>(frame, QStringLiteral("lblProductName"));
    product->setText(QStringLiteral("Sorvane"));
    QFont big = ui::gothicFont(24);
    big.setBold(true);
    product->setFont(big);

    auto *version = ui::named<QLabel>(frame, QStringLiteral("lblVersion"));
    version->setText(versionText());

    auto *platform = ui::named<QLabel>(frame, QStringLiteral("lblPlatform"));
    platform->setText(QStringLiteral("For Windows"));

    auto *warning = ui::named<QLabel>(frame, QStringLiteral("lblWarning"));
    warning->setText(QStringLiteral("受取手形・支払手形の管理プログラムです。データは定期的に保存してください。"));
    warning->setWordWrap(true);

    m_close = ui::named<QPushButton>(this, QStringLiteral("閉じるボタン"));
    m_close->setText(QStringLiteral("閉じる"));
    connect(m_close, &QPushButton::clicked, this, &QDialog::accept);

    auto *text = new QVBoxLayout;
    text->addWidget(product);
    text->addWidget(version);
    text->addWidget(platform);
    text->addStretch();

    auto *top = new QHBoxLayout;
    top->addWidget(img, 0, Qt::AlignTop);
    top->addSpacing(16);
    top->addLayout(text, 1);

    auto *inFrame = new QVBoxLayout(frame);
    inFrame->setContentsMargins(20, 20, 20, 16);
    inFrame->addLayout(top);
    inFrame->addSpacing(12);
    inFrame->addWidget(warning);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_close);

    auto *outer = new QVBoxLayout(this);
    outer->addWidget(frame);
    outer->addLayout(buttons);

    setMinimumWidth(460);
    ui::finishWindow(this);
}

void Logo::setCloseButtonVisible(bool visible)
{
    m_close->setVisible(visible);
}

} // namespace sorvane
