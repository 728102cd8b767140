#include "app/AboutSheet.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "core/RunConfig.h"

namespace {
// The maker's logo, drawn rather than shipped as a bitmap.
QPixmap MakerLogo() {
    QPixmap logo(180, 48);
    logo.fill(Qt::transparent);
    QPainter p(&logo);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(0x1f, 0x4e, 0x79));
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRectF(0, 4, 40, 40), 8, 8);
    p.setPen(QPen(QColor(0xf2, 0xb1, 0x34), 4));
    p.drawLine(QPointF(10, 34), QPointF(30, 14));
    p.setPen(QColor(0x1f, 0x4e, 0x79));
    QFont font("Sans Serif", 20, QFont::Bold);
    p.setFont(font);
    p.drawText(QRectF(48, 0, 132, 48), Qt::AlignVCenter | Qt::AlignLeft, "Brisel");
    return logo;
}

QWidget* AboutPage() {
    auto* page = new QWidget;
    page->setObjectName("ABOUT");
    auto* layout = new QVBoxLayout(page);
    auto* top = new QHBoxLayout;
    auto* icon = new QLabel;
    icon->setPixmap(QIcon(":/icons/hall.svg").pixmap(48, 48));
    top->addWidget(icon);
    auto* text = new QLabel("RT4400 Hall System\nfor 32-bit Windows");
    text->setObjectName("aboutText");
    top->addWidget(text, 1);
    layout->addLayout(top);
    auto* version = new QLabel(QString("Version %1").arg(QString::fromStdString(VersionText())));
    version->setObjectName("aboutVersion");
    layout->addWidget(version);
    auto* logo = new QLabel;
    logo->setPixmap(MakerLogo());
    layout->addWidget(logo);
    layout->addStretch(1);
    return page;
}

// Whole paragraphs that the label wraps itself: hard line breaks inside a
// wrapped label left single words alone on a line.
QWidget* ContactPage() {
    auto* page = new QWidget;
    page->setObjectName("QUORVEX");
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(16, 14, 16, 14);
    layout->setSpacing(10);
    auto* title = new QLabel("Service and support");
    QFont bold = title->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.15);
    title->setFont(bold);
    layout->addWidget(title);
    auto* text = new QLabel(
        "For service, calibration and spare parts of the RT4400 Hall System, please contact "
        "the supplier of your instrument.");
    text->setObjectName("contactText");
    text->setWordWrap(true);
    layout->addWidget(text);
    auto* atHand = new QLabel(
        "Please have at hand when you call:<ul style=\"margin-left:-20px\">"
        "<li>the serial number of the instrument</li>"
        "<li>the version of this program: " +
        QString::fromStdString(VersionText()) +
        "</li>"
        "<li>the log file of the session, for any fault report</li></ul>");
    atHand->setObjectName("contactAtHand");
    atHand->setTextFormat(Qt::RichText);
    atHand->setWordWrap(true);
    layout->addWidget(atHand);
    layout->addStretch(1);
    return page;
}
}  // namespace

AboutSheet::AboutSheet(QWidget* parent) : QDialog(parent) {
    setObjectName("AboutSheet");
    setWindowTitle("About RT44WIN");
    auto* layout = new QVBoxLayout(this);
    auto* tabs = new QTabWidget;
    tabs->addTab(AboutPage(), "About");
    tabs->addTab(ContactPage(), "Contact Information");
    layout->addWidget(tabs);
    // A sheet with nothing to apply: its cancel button is the close button.
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel);
    auto* close = buttons->button(QDialogButtonBox::Cancel);
    close->setText("Close");
    close->setObjectName("IDCANCEL");
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    setMinimumWidth(440);
    resize(480, 300);
}
