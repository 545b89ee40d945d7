#include "Qt_Picture_File.h"

#include "Picture_Geometry.h"

#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QSaveFile>

Picture_Read_Result Read_Picture_File(const std::string& path) {
    Picture_Read_Result result;
    const QString name = QString::fromStdString(path);
    const QFileInfo info(name);
    if (!info.exists() || !info.isFile()) {
        result.Failure = Picture_Read_Failure::Not_Found;
        result.Detail = path + (info.exists() ? " is not a file" : " does not exist");
        return result;
    }
    QImageReader reader(name);
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

bool Save_Bytes_Atomically(const std::string& path, const std::vector<std::uint8_t>& bytes,
                           std::string& error) {
    const QString name = QString::fromStdString(path);
    const QFileInfo info(name);
    if (info.exists() && !info.isFile()) {
        error = path + " exists and is not a regular file";
        return false;
    }
    QSaveFile file(name);
    const auto size = static_cast<qint64>(bytes.size());
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(reinterpret_cast<const char*>(bytes.data()), size) != size || !file.commit()) {
        error = "cannot write " + path + ": " + file.errorString().toStdString();
        return false;
    }
    return true;
}
