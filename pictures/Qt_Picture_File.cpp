#include "Qt_Picture_File.h"

#include "Picture_Geometry.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>

Picture_Read_Result Read_Picture_File(const std::string& path) {
    Picture_Read_Result result;
    // The bytes are read here rather than by Qt, so a name in any encoding is found and a pipe
    // or a device is refused before anything waits on it.
    std::string bytes;
    if (result.File = Read_Whole_File(path, bytes); result.File.Failed()) {
        result.Failure = Picture_Read_Failure::File_Refused;
        result.Detail = English_Text(result.File);
        return result;
    }
    const QByteArray held = QByteArray::fromRawData(bytes.data(), qsizetype(bytes.size()));
    QBuffer buffer;
    buffer.setData(held);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    const qint64 limit = qint64(QImageReader::allocationLimit()) * 1024 * 1024;
    if (size.isValid() && limit > 0 && qint64(size.width()) * size.height() * 4 > limit) {
        result.Failure = Picture_Read_Failure::Over_Limit;
        result.Detail = path + " is " + std::to_string(size.width()) + "x" +
                        std::to_string(size.height()) + " pixels, over the " +
                        std::to_string(QImageReader::allocationLimit()) +
                        " MB limit of the image readers";
        return result;
    }
    QImage image;
    if (!reader.read(&image)) {
        result.Failure = Picture_Read_Failure::Unreadable;
        result.Detail =
            path + " is not a picture that can be read: " + reader.errorString().toStdString();
        return result;
    }
    image.convertTo(QImage::Format_RGBA8888);
    if (image.isNull()) {
        result.Failure = Picture_Read_Failure::Over_Limit;
        result.Detail = path + " is too large to convert";
        return result;
    }
    result.Luma = Flatten_On_White(
        {image.constBits(), image.width(), image.height(), std::size_t(image.bytesPerLine())});
    return result;
}
