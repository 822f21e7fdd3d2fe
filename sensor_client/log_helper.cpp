#include "sensor_client/log_helper.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QMetaEnum>
#include <QtDebug>

#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <vector>

namespace {

struct LogState {
    std::mutex mutex;
    LogConfig config;
    QFile file;
    bool opened = false;
};

LogState& state() {
    static LogState instance;
    return instance;
}

QString defaultDirectory() { return QCoreApplication::applicationDirPath() + QStringLiteral("/logs"); }

}  // namespace

bool LogHelper::init(const LogConfig& config) {
    LogState& s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.config = config;
    const QString folder = config.directory.isEmpty() ? defaultDirectory() : config.directory;
    if (!QDir(folder).exists() && !QDir().mkpath(folder)) return s.opened;
    if (s.file.isOpen()) s.file.close();
    s.file.setFileName(folder + QDir::separator() + QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")) +
                       QStringLiteral(".log"));
    if (s.file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) s.opened = true;
    return s.opened;
}

QString LogHelper::levelName(int level) {
    static const QMetaEnum levels = QMetaEnum::fromType<CLOG_LEVEL>();
    return QStringLiteral("[%1]").arg(QString::fromLatin1(levels.valueToKey(level)));
}

void LogHelper::log(int level, const char*, const char*, int, const QString& text) {
    LogState& s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (!s.opened || level < s.config.minLevel) return;
    QString line = QLatin1Char('[') +
                   QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss:zzz")) +
                   QLatin1Char(']') + levelName(level) + text;
    qDebug().noquote() << line;
    line += QLatin1Char('\n');
    if (s.config.toFile && s.file.isOpen()) {
        s.file.write(line.toLocal8Bit());
        s.file.flush();
    }
}

QString LogHelper::formatText(const char* format, va_list args) {
    if (!format) return {};
    va_list measure;
    va_copy(measure, args);
    const int length = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    if (length <= 0) return {};
    std::vector<char> buffer(static_cast<size_t>(length) + 1);
    va_list fill;
    va_copy(fill, args);
    std::vsnprintf(buffer.data(), buffer.size(), format, fill);
    va_end(fill);
    return QString::fromLocal8Bit(buffer.data(), length);
}

void LogHelper::logFormat(int level, const char* file, const char* function, int line, const char* format, ...) {
    va_list args;
    va_start(args, format);
    const QString text = formatText(format, args);
    va_end(args);
    log(level, file, function, line, text);
}
