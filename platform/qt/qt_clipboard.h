// The clipboard on QClipboard: text and private formats as MIME types.
#pragma once

#include <QString>
#include <memory>

#include "platform/clipboard.h"

class QMimeData;

namespace qtbackend {

// Text goes to other programs as Unicode with LF line breaks and comes back as CP932 with
// CR LF. A private format travels as the MIME type of its name (MimeTypeOf).
class TQtClipboard : public TClipboard {
public:
    TQtClipboard();
    ~TQtClipboard() override;

    void Open() override;
    void Close() override;
    void Clear() override;
    std::string GetText() const override;
    void SetText(const std::string& Cp932) override;
    void SetFormatData(TClipboardFormat Format, const std::string& Bytes) override;
    std::string GetFormatData(TClipboardFormat Format) const override;
    bool HasFormat(TClipboardFormat Format) const override;

    static QString MimeTypeOf(TClipboardFormat Format);

private:
    // The content being written: the first write in a bracket starts it empty.
    QMimeData& Pending();

    int FOpenCount = 0;
    std::unique_ptr<QMimeData> FPending;
};

} // namespace qtbackend
