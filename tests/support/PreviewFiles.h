#pragma once

#include "tests/support/TempDir.h"

#include <QImage>
#include <QString>

#include <gtest/gtest.h>

#include <string>

// Files for the preview's tests, written into a test's folder; each returns the file's path.
inline std::string writeText(const TempDir& dir, const std::string& name, const std::string& text) {
    writeFileText(dir.path() / name, text);
    return (dir.path() / name).string();
}

// A 40 x 30 red picture in an image format ("PNG", "JPG"), whatever the name says.
inline std::string writeImage(const TempDir& dir, const std::string& name, const char* format) {
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::red);
    const std::string path = (dir.path() / name).string();
    EXPECT_TRUE(image.save(QString::fromStdString(path), format));
    return path;
}
