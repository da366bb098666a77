#include "platform/JpegImage.h"

#include "model/SaveFile.h"

#include <QFileInfo>
#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <jerror.h>
#include <jpeglib.h>

namespace {

// libjpeg reports errors by calling error_exit, which must not return:
// jump back out of the compression instead of ending the program.
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void ErrorExit(j_common_ptr info) {
    auto *manager = reinterpret_cast<ErrorManager *>(info->err);
    (*info->err->format_message)(info, manager->message);
    std::longjmp(manager->jump, 1);
}

// The compressed bytes, in one buffer that only this destination allocates
// and only Compress frees, whatever happens in between. (libjpeg's own
// memory destination frees a buffer when it grows while the caller still
// holds the old pointer, so a failure after a growth freed it twice.)
struct Destination {
    jpeg_destination_mgr pub;
    unsigned char *data;
    size_t capacity;
    size_t used;
    size_t limit; // 0: none
};

constexpr size_t FirstCapacity = 64 * 1024;

Destination *DestinationOf(j_compress_ptr cinfo) {
    return reinterpret_cast<Destination *>(cinfo->dest);
}

// Makes room for `capacity` bytes; the buffer stays valid and owned when it fails.
void Grow(j_compress_ptr cinfo, size_t capacity) {
    Destination *d = DestinationOf(cinfo);
    if (d->limit != 0 && capacity > d->limit)
        capacity = std::max(d->limit, d->capacity);
    void *grown = capacity > d->capacity ? std::realloc(d->data, capacity) : nullptr;
    if (!grown)
        ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 99);
    d->data = static_cast<unsigned char *>(grown);
    d->pub.next_output_byte = d->data + d->capacity;
    d->pub.free_in_buffer = capacity - d->capacity;
    d->capacity = capacity;
}

void InitDestination(j_compress_ptr cinfo) {
    Destination *d = DestinationOf(cinfo);
    d->used = 0;
    if (!d->data)
        Grow(cinfo, FirstCapacity);
    d->pub.next_output_byte = d->data;
    d->pub.free_in_buffer = d->capacity;
}

boolean EmptyOutputBuffer(j_compress_ptr cinfo) {
    // Called when the whole buffer is full.
    Grow(cinfo, DestinationOf(cinfo)->capacity * 2);
    return TRUE;
}

void TermDestination(j_compress_ptr cinfo) {
    Destination *d = DestinationOf(cinfo);
    d->used = d->capacity - d->pub.free_in_buffer;
}

// Plain C data only between setjmp and longjmp. Returns false with the
// library's message; the caller frees the destination's buffer.
bool CompressRgb(const unsigned char *rgb, int width, int height, int quality, Destination *dest,
                 char *message) {
    jpeg_compress_struct cinfo;
    ErrorManager errors;
    cinfo.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = ErrorExit;
    errors.message[0] = 0;
    if (setjmp(errors.jump)) {
        jpeg_destroy_compress(&cinfo);
        std::snprintf(message, JMSG_LENGTH_MAX, "%s", errors.message);
        return false;
    }
    jpeg_create_compress(&cinfo);
    dest->pub.init_destination = InitDestination;
    dest->pub.empty_output_buffer = EmptyOutputBuffer;
    dest->pub.term_destination = TermDestination;
    cinfo.dest = &dest->pub;
    cinfo.image_width = JDIMENSION(width);
    cinfo.image_height = JDIMENSION(height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(rgb + size_t(cinfo.next_scanline) * size_t(width) * 3);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

} // namespace

QByteArray TJPEGImage::Compress(QString *error) const {
    if (image_.isNull()) {
        if (error)
            *error = QStringLiteral("there is no picture");
        return {};
    }
    // Tightly packed rows of RGB bytes, as libjpeg reads them.
    const QImage rgb = image_.convertToFormat(QImage::Format_RGB888);
    QByteArray packed;
    packed.resize(qsizetype(rgb.width()) * rgb.height() * 3);
    for (int y = 0; y < rgb.height(); ++y)
        std::copy_n(rgb.constScanLine(y), size_t(rgb.width()) * 3,
                    packed.data() + qsizetype(y) * rgb.width() * 3);
    Destination dest{};
    dest.limit = MaxBytes;
    char message[JMSG_LENGTH_MAX] = {};
    const bool ok =
        CompressRgb(reinterpret_cast<const unsigned char *>(packed.constData()), rgb.width(),
                    rgb.height(), std::clamp(CompressionQuality, 1, 100), &dest, message);
    QByteArray bytes;
    if (ok)
        bytes = QByteArray(reinterpret_cast<const char *>(dest.data), qsizetype(dest.used));
    std::free(dest.data);
    if (!ok && error)
        *error = QString::fromLocal8Bit(message);
    return bytes;
}

bool TJPEGImage::SaveToFile(const QString &fileName, QString *error) const {
    QString why;
    const QByteArray bytes = Compress(&why);
    if (!bytes.isEmpty() && TSaveFile::WriteFile(fileName, bytes, &why))
        return true;
    if (error)
        *error = why;
    return false;
}
