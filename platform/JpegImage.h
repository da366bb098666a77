// JPEG pictures through libjpeg: the chart pictures of the HTML report.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <cstddef>

class TJPEGImage {
public:
    int CompressionQuality = 90; // 1..100
    // The most bytes the compressed picture may grow to; beyond it the
    // compression fails as when memory runs out (0: no limit). Lets a test
    // fail a compression after its output has grown.
    size_t MaxBytes = 0;

    // Takes the picture to compress.
    void Assign(const QImage &image) { image_ = image; }
    // The compressed bytes; empty when libjpeg refuses (the reason in `error`).
    QByteArray Compress(QString *error = nullptr) const;
    // Writes the whole file or nothing; a failure names the file in `error`.
    bool SaveToFile(const QString &fileName, QString *error = nullptr) const;

private:
    QImage image_;
};
