// QClipboard behind the clipboard interface, with writes bracketed by Open/Close.
#include "platform/qt/qt_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "platform/qt/qt_text.h"

namespace qtbackend {

namespace {

// CR LF and lone CR become LF for other programs.
QString ToUnixBreaks(const std::string& Cp932) {
    QString S = ToQString(Cp932);
    S.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    S.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return S;
}

// Any line break becomes CR LF.
std::string ToCrLf(const QString& Text) {
    QString S = Text;
    S.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    S.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    S.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return FromQString(S);
}

} // namespace

TQtClipboard::TQtClipboard() = default;
TQtClipboard::~TQtClipboard() = default;

QString TQtClipboard::MimeTypeOf(TClipboardFormat Format) {
    return QStringLiteral("application/x-qt-windows-mime;value=\"%1\"")
        .arg(ToQString(ClipboardFormatName(Format)));
}

void TQtClipboard::Open() {
    ++FOpenCount;
}

void TQtClipboard::Close() {
    if (FOpenCount == 0) return;
    if (--FOpenCount > 0 || !FPending) return;
    QGuiApplication::clipboard()->setMimeData(FPending.release());
}

QMimeData& TQtClipboard::Pending() {
    if (!FPending) FPending = std::make_unique<QMimeData>();
    return *FPending;
}

void TQtClipboard::Clear() {
    if (FOpenCount > 0) {
        FPending = std::make_unique<QMimeData>();
        return;
    }
    QGuiApplication::clipboard()->clear();
}

std::string TQtClipboard::GetText() const {
    const QMimeData* M = QGuiApplication::clipboard()->mimeData();
    if (!M || !M->hasText()) return {};
    return ToCrLf(M->text());
}

void TQtClipboard::SetText(const std::string& Cp932) {
    TClipboardOpen Guard(*this);
    Pending().setText(ToUnixBreaks(Cp932));
}

void TQtClipboard::SetFormatData(TClipboardFormat Format, const std::string& Bytes) {
    if (Format == CF_TEXT) {
        SetText(Bytes);
        return;
    }
    TClipboardOpen Guard(*this);
    Pending().setData(MimeTypeOf(Format), QByteArray(Bytes.data(), static_cast<qsizetype>(Bytes.size())));
}

std::string TQtClipboard::GetFormatData(TClipboardFormat Format) const {
    if (Format == CF_TEXT) return GetText();
    const QMimeData* M = QGuiApplication::clipboard()->mimeData();
    if (!M) return {};
    const QByteArray B = M->data(MimeTypeOf(Format));
    return std::string(B.constData(), static_cast<size_t>(B.size()));
}

bool TQtClipboard::HasFormat(TClipboardFormat Format) const {
    const QMimeData* M = QGuiApplication::clipboard()->mimeData();
    if (!M) return false;
    if (Format == CF_TEXT) return M->hasText();
    return M->hasFormat(MimeTypeOf(Format));
}

} // namespace qtbackend
