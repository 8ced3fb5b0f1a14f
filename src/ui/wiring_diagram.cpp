#include "ui/wiring_diagram.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace ecuprobe::ui {

namespace {

// Drawing units: the picture is laid out on this canvas and scaled to fit.
constexpr double canvasWidth = 840;
constexpr double canvasHeight = 380;

// Rows of the three wires on each side of the converter.
constexpr double rowSignalOut = 130;
constexpr double rowSignalIn = 180;
constexpr double rowGround = 230;

constexpr double pcLeft = 20;
constexpr double pcRight = 190;
constexpr double converterLeft = 310;
constexpr double converterRight = 550;
constexpr double connectorLeft = 650;
constexpr double connectorRight = 820;

const QColor ink(0x20, 0x20, 0x20);
const QColor signalColour(0x1f, 0x5f, 0xbf);
const QColor kLineColour(0xc0, 0x39, 0x2b);
const QColor powerColour(0xd3, 0x7a, 0x00);

void text(QPainter& p, const QRectF& box, const QString& words, int flags, double size,
          bool bold = false) {
    QFont font = p.font();
    font.setPixelSize(static_cast<int>(size));
    font.setBold(bold);
    p.setFont(font);
    p.drawText(box, flags, words);
}

void block(QPainter& p, const QRectF& box, const QString& title) {
    p.setPen(QPen(ink, 2));
    p.setBrush(QColor(0xf4, 0xf6, 0xf8));
    p.drawRoundedRect(box, 8, 8);
    text(p, box.adjusted(8, 8, -8, 0), title, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap,
         14, true);
}

void pin(QPainter& p, QPointF at) {
    p.setPen(QPen(ink, 1.5));
    p.setBrush(Qt::white);
    p.drawEllipse(at, 5, 5);
}

void arrowHead(QPainter& p, QPointF tip, double direction) {
    QPainterPath head;
    head.moveTo(tip);
    head.lineTo(tip.x() - direction * 12, tip.y() - 6);
    head.lineTo(tip.x() - direction * 12, tip.y() + 6);
    head.closeSubpath();
    p.fillPath(head, p.pen().color());
}

// A wire between two pins on one row; arrows at the ends that receive.
void wire(QPainter& p, double from, double to, double row, const QColor& colour,
          const QString& label, bool arrowAtTo, bool arrowAtFrom) {
    p.setPen(QPen(colour, 2.5));
    p.drawLine(QPointF(from + 5, row), QPointF(to - 5, row));
    if (arrowAtTo) {
        arrowHead(p, QPointF(to - 6, row), 1);
    }
    if (arrowAtFrom) {
        arrowHead(p, QPointF(from + 6, row), -1);
    }
    p.setPen(colour);
    text(p, QRectF(from, row - 24, to - from, 20), label, Qt::AlignCenter, 13, true);
}

void pinLabels(QPainter& p, double x, double width, const QString (&labels)[3], int align) {
    p.setPen(ink);
    const double rows[] = {rowSignalOut, rowSignalIn, rowGround};
    for (int i = 0; i < 3; ++i) {
        text(p, QRectF(x, rows[i] - 10, width, 20), labels[i], align | Qt::AlignVCenter, 13);
    }
}

void groundSymbol(QPainter& p, QPointF top) {
    p.setPen(QPen(ink, 2));
    p.drawLine(top, top + QPointF(0, 18));
    for (int i = 0; i < 3; ++i) {
        const double half = 12 - i * 4;
        const double y = top.y() + 18 + i * 5;
        p.drawLine(QPointF(top.x() - half, y), QPointF(top.x() + half, y));
    }
}

void drawBlocks(QPainter& p) {
    block(p, QRectF(pcLeft, 70, pcRight - pcLeft, 200), QStringLiteral("ПК\nCOM-порт (DB-9)"));
    block(p, QRectF(converterLeft, 40, converterRight - converterLeft, 240),
          QStringLiteral("Преобразователь уровней\nRS-232 ↔ K-line"));
    block(p, QRectF(connectorLeft, 70, connectorRight - connectorLeft, 200),
          QStringLiteral("Диагностический\nразъём (ЭБУ)"));
    pinLabels(p, pcLeft + 8, pcRight - pcLeft - 24, {"3  TxD", "2  RxD", "5  GND"}, Qt::AlignRight);
    pinLabels(p, converterLeft + 14, 80, {"TxD", "RxD", "GND"}, Qt::AlignLeft);
    pinLabels(p, converterRight - 94, 80, {"K", "+12 В", "Масса"}, Qt::AlignRight);
    pinLabels(p, connectorLeft + 14, 130, {"K-line", "+12 В", "Масса"}, Qt::AlignLeft);
    p.setPen(ink);
    text(p, QRectF(converterLeft - 20, 286, converterRight - converterLeft + 40, 40),
         QStringLiteral("TxD → K, K → RxD: каждый байт ПК\nвозвращается эхом"), Qt::AlignCenter,
         12);
}

void drawWires(QPainter& p) {
    wire(p, pcRight, converterLeft, rowSignalOut, signalColour, QStringLiteral("TxD"), true, false);
    wire(p, pcRight, converterLeft, rowSignalIn, signalColour, QStringLiteral("RxD"), false, true);
    wire(p, pcRight, converterLeft, rowGround, ink, QStringLiteral("GND"), false, false);
    wire(p, converterRight, connectorLeft, rowSignalOut, kLineColour, QStringLiteral("K-line"),
         true, true);
    wire(p, converterRight, connectorLeft, rowSignalIn, powerColour, QStringLiteral("+12 В"), false,
         true);
    wire(p, converterRight, connectorLeft, rowGround, ink, QStringLiteral("Масса"), false, false);
    groundSymbol(p, QPointF((converterRight + connectorLeft) / 2, rowGround));
    const double rows[] = {rowSignalOut, rowSignalIn, rowGround};
    for (const double row : rows) {
        for (const double x : {pcRight, converterLeft, converterRight, connectorLeft}) {
            pin(p, QPointF(x, row));
        }
    }
    p.setPen(ink);
    text(p, QRectF(pcLeft, 340, connectorRight - pcLeft, 30),
         QStringLiteral("RS-232: ±5…12 В      K-line: 0 / +12 В, 9600 бит/с, 8N1"), Qt::AlignCenter,
         13);
}

}  // namespace

WiringDiagram::WiringDiagram(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("wiringDiagram"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

QSize WiringDiagram::sizeHint() const {
    // Text on the canvas is 13 units high; keep it at least as large as the font.
    const double scale = std::max(1.0, fontMetrics().height() / 16.0);
    return QSize(static_cast<int>(canvasWidth * scale), static_cast<int>(canvasHeight * scale));
}

QSize WiringDiagram::minimumSizeHint() const {
    return QSize(static_cast<int>(canvasWidth / 2), static_cast<int>(canvasHeight / 2));
}

void WiringDiagram::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), Qt::white);
    const double scale = std::min(width() / canvasWidth, height() / canvasHeight);
    p.translate((width() - canvasWidth * scale) / 2, (height() - canvasHeight * scale) / 2);
    p.scale(scale, scale);
    drawBlocks(p);
    drawWires(p);
}

}  // namespace ecuprobe::ui
