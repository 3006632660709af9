// The container of an Excel 97-2003 workbook: a compound file (version 3, 512-byte sectors) that holds one
// stream. The stream's bytes are written straight to the file as they come, in consecutive sectors after the
// header, so a workbook of any size is never held in memory; the allocation tables, the directory and the
// header are written by finish(). Bytes already written can be patched in place (sheet positions).
#pragma once

#include <QByteArray>
#include <QString>

class QFileDevice;

namespace corvane {

class BiffCompoundFile {
public:
    static constexpr int kSectorSize = 512;
    // Streams shorter than this would belong in the mini stream; the one stream is padded up to it instead.
    static constexpr qint64 kMiniStreamCutoff = 4096;

    // Starts the container in `file`, which must be open for writing and empty; the header's place is
    // reserved. Raises CorvaneError when the file cannot be written.
    explicit BiffCompoundFile(QFileDevice &file);

    // Appends bytes to the stream. Raises CorvaneError when the file cannot be written.
    void write(const char *data, qint64 size);
    void write(const QByteArray &bytes) { write(bytes.constData(), bytes.size()); }
    // The number of stream bytes written so far.
    qint64 streamSize() const { return m_streamSize; }
    // Overwrites stream bytes from `offset` (they must have been written already) and goes on appending at
    // the end. Raises CorvaneError on a bad offset or a write failure.
    void patch(qint64 offset, const QByteArray &bytes);

    // Pads the stream, writes the allocation tables, the directory (a root and the stream `streamName`)
    // and the header. Nothing may be written afterwards. Raises CorvaneError when the file cannot be
    // written or the stream exceeds what a version 3 compound file can hold.
    void finish(const QString &streamName);

private:
    void writeRaw(const QByteArray &bytes);
    void seek(qint64 position);

    QFileDevice &m_file;
    qint64 m_streamSize = 0;
    bool m_finished = false;
};

} // namespace corvane
