#pragma once

#include <QString>

#include <atomic>
#include <exception>
#include <functional>
#include <memory>
#include <string>

namespace Morvane {

/// An error of the core library with a Chinese description for the user.
class CoreError : public std::exception {
public:
    explicit CoreError(QString description)
        : m_description(std::move(description))
        , m_utf8(m_description.toStdString())
    {
    }
    [[nodiscard]] const QString &description() const noexcept { return m_description; }
    [[nodiscard]] const char *what() const noexcept override { return m_utf8.c_str(); }

private:
    QString m_description;
    std::string m_utf8;
};

/// A short Chinese reason for a system error number, for texts shown to the user
/// (the C library's own texts follow the locale and are English on most systems).
/// The Trash and the clean-up still hold private tables of their own to fold into it.
[[nodiscard]] QString systemErrorText(int code);

/// A scan that could not run (for example its folder cannot be opened).
class ScanError : public CoreError {
public:
    using CoreError::CoreError;
};

/// A path that `PathSafety::validate` refuses.
class PathSafetyError : public CoreError {
public:
    using CoreError::CoreError;
};

/// Thrown by a scan that noticed its cancellation; told apart from every other error.
class CancellationError : public std::exception {
public:
    [[nodiscard]] const char *what() const noexcept override { return "cancelled"; }
};

/// Cooperative cancellation shared between the requester and the scan.
class CancellationToken {
public:
    CancellationToken()
        : m_flag(std::make_shared<std::atomic<bool>>(false))
    {
    }
    void cancel() const noexcept { m_flag->store(true, std::memory_order_relaxed); }
    [[nodiscard]] bool isCancelled() const noexcept { return m_flag->load(std::memory_order_relaxed); }
    void throwIfCancelled() const
    {
        if (isCancelled())
            throw CancellationError();
    }

private:
    std::shared_ptr<std::atomic<bool>> m_flag;
};

/// Progress of a scan: a status line and the count of items examined. Called from the
/// scanning thread.
using ProgressFn = std::function<void(const QString &message, std::int64_t examined)>;

} // namespace Morvane
