// Saved reports (".qrp"): the reader takes a file whole or refuses it with a
// reason, and what it takes writes back to the same bytes.
#include "FuzzCommon.h"
#include "platform/ReportPages.h"

#include <QFile>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    // Inputs starting with an odd byte are bodies: the header is made for
    // them, so the mutations reach the body reader past the checksum.
    QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    if (!bytes.isEmpty() && (bytes[0] & 1)) {
        bytes.remove(0, 1);
        bytes.prepend(qrp::Header(bytes));
    }
    const QString path = fuzz::WriteInput(reinterpret_cast<const uint8_t *>(bytes.constData()),
                                          size_t(bytes.size()), "qrp");
    TQRPageSet pages;
    QString error;
    if (!pages.Load(path, &error)) {
        fuzz::Require(!error.isEmpty(), "a refused file has a reason");
        fuzz::Require(pages.IsEmpty(), "a refused file changes nothing");
        return 0;
    }
    fuzz::Require(pages.PageCount() <= int(qrp::MaxPages), "page count within its bound");
    quint64 ops = 0, pixels = 0;
    for (int p = 0; p < pages.PageCount(); ++p) {
        const TQRPage &page = pages.Page(p);
        fuzz::Require(page.Size.width() >= 1 && page.Size.height() >= 1, "pages have a size");
        ops += page.Ops.size();
        for (const TQRPageOp &op : page.Ops) {
            if (op.kind == TQRPageOp::Image) {
                fuzz::Require(op.Picture.width() <= qrp::MaxImageSide &&
                                  op.Picture.height() <= qrp::MaxImageSide,
                              "pictures within their bound");
                pixels += quint64(op.Picture.width()) * quint64(op.Picture.height());
            }
        }
    }
    // The whole file's budget (pictures at no less than 4 bytes a pixel).
    fuzz::Require(ops <= qrp::MaxTotalOps, "operations within the file's budget");
    fuzz::Require(pixels * 4 <= qrp::MaxPictureBytes, "pictures within the file's budget");
    // Texts and numbers survive a second round exactly (pictures are
    // re-encoded, so only their pixels must agree).
    TQRPageSet again;
    fuzz::Require(again.FromBytes(pages.ToBytes(), &error), "a loaded report saves readably");
    fuzz::Require(again.PageCount() == pages.PageCount(), "same pages after saving");
    for (int p = 0; p < pages.PageCount(); ++p) {
        fuzz::Require(again.Page(p).Ops.size() == pages.Page(p).Ops.size(), "same operations");
        for (size_t i = 0; i < pages.Page(p).Ops.size(); ++i)
            fuzz::Require(again.Page(p).Ops[i] == pages.Page(p).Ops[i], "same operation");
    }
    return 0;
}
