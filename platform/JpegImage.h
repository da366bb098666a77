// JPEG pictures through libjpeg: the chart pictures of the HTML report.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

class TJPEGImage {
public:
    int CompressionQuality = 90; // 1..100

    // Takes the picture to compress.
    void Assign(const QImage &image) { image_ = image; }
    // The compressed bytes; empty when libjpeg refuses (the reason in `error`).
    QByteArray Compress(QString *error = nullptr) const;
    // Writes the whole file or nothing; a failure names the file in `error`.
    bool SaveToFile(const QString &fileName, QString *error = nullptr) const;

private:
    QImage image_;
};
