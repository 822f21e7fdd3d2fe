#pragma once
// The windows' own log: one file per start-up day, "yyyy-MM-dd.log" in the
// folder "logs" beside the program, each line stamped with the time to the
// millisecond and its level; every line also goes to Qt's debug output.
// Until init succeeds every line is dropped. Callers pass no file and no
// function, only their line number:
//   LogHelper::logFormat(CLOG_LEVEL::RINFO, nullptr, nullptr, __LINE__, "batch stop, cost: %d", ms);
#include <QObject>
#include <QString>

#include <cstdarg>

struct LogConfig {
    bool toFile = true;  // lines also go to the file
    int minLevel = 0;    // lines below it are dropped
    // Folder of the day files; empty: "logs" in the program's folder.
    QString directory;
};

class LogHelper : public QObject {
    Q_OBJECT
public:
    enum CLOG_LEVEL { DEBUG = 0, RINFO = 1, RWARNING = 2, RERROR = 3 };
    Q_ENUM(CLOG_LEVEL)

    // Opens (append) the file of today; returns whether a file was ever opened.
    static bool init(const LogConfig& config);
    static void log(int level, const char* file, const char* function, int line, const QString& text);
    static void logFormat(int level, const char* file, const char* function, int line, const char* format, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 5, 6)))
#endif
        ;
    // "[RINFO]" and the like; "[]" for a level without a name.
    static QString levelName(int level);
    // The text a printf format gives, whole, however long.
    static QString formatText(const char* format, va_list args);
};

using CLOG_LEVEL = LogHelper::CLOG_LEVEL;
