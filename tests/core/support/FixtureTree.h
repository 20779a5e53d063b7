#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <cstdint>

// Throwaway file trees for the core tests, built with raw POSIX calls so that names
// that are not valid UTF-8 survive. Paths are lossless QStrings (core/Paths.h).
namespace Fixture {

/// Creates the folder and its missing parents.
void makeFolder(const QString &path);
/// Creates (or replaces) a file of `bytes` bytes, parents included.
void makeFile(const QString &path, std::int64_t bytes = 1);
void makeTextFile(const QString &path, const QByteArray &contents);
void makeSymlink(const QString &target, const QString &linkPath);
/// Sets access and modification time of the item itself (a link stays a link).
void setModified(const QString &path, const QDateTime &when);
/// Sets the time of the item and of everything below it.
void setModifiedTree(const QString &path, const QDateTime &when);

} // namespace Fixture
