#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

// Small helpers that build real files for the core tests.
namespace TestTree {

/// Writes `content` to `path`, creating parent folders; fails the test on error.
void writeFile(const QString &path, const QByteArray &content);

/// `size` deterministic pseudo-random bytes from `seed`.
QByteArray pattern(std::int64_t size, std::uint32_t seed);

/// Sets the modification (and access) time to `secondsAgo` before now.
void setAge(const QString &path, std::int64_t secondsAgo);

} // namespace TestTree
