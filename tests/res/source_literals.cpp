#include "tests/res/source_literals.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QXmlStreamReader>

namespace mirevo::test {

namespace {

class CppScanner {
public:
    CppScanner(const QString& code, const QString& file) : code_(code), file_(file) {}

    QVector<SourceLiteral> scan() {
        while (pos_ < code_.size()) {
            if (skipComment()) continue;
            const QChar c = code_[pos_];
            if (c == QLatin1Char('"')) {
                readLiteralSequence();
            } else if (c == QLatin1Char('\'')) {
                skipCharLiteral();
            } else {
                advance();
            }
        }
        return literals_;
    }

private:
    QChar at(int i) const { return i < code_.size() ? code_[i] : QChar(); }

    void advance() {
        if (code_[pos_] == QLatin1Char('\n')) ++line_;
        ++pos_;
    }

    bool skipComment() {
        if (at(pos_) != QLatin1Char('/')) return false;
        if (at(pos_ + 1) == QLatin1Char('/')) {
            while (pos_ < code_.size() && code_[pos_] != QLatin1Char('\n')) ++pos_;
            return true;
        }
        if (at(pos_ + 1) == QLatin1Char('*')) {
            pos_ += 2;
            while (pos_ < code_.size() && !(code_[pos_] == QLatin1Char('*') && at(pos_ + 1) == QLatin1Char('/')))
                advance();
            pos_ += 2;
            return true;
        }
        return false;
    }

    // A digit separator (1'000) is no character literal.
    void skipCharLiteral() {
        if (pos_ > 0 && code_[pos_ - 1].isLetterOrNumber() && at(pos_ + 1).isLetterOrNumber()) {
            ++pos_;
            return;
        }
        ++pos_;
        while (pos_ < code_.size() && code_[pos_] != QLatin1Char('\'') && code_[pos_] != QLatin1Char('\n')) {
            if (code_[pos_] == QLatin1Char('\\')) ++pos_;
            ++pos_;
        }
        ++pos_;
    }

    bool rawPrefix() const { return pos_ > 0 && code_[pos_ - 1] == QLatin1Char('R'); }

    QString readRawLiteral() {
        const int open = code_.indexOf(QLatin1Char('('), pos_);
        const QString delimiter = code_.mid(pos_ + 1, open - pos_ - 1);
        const QString close = QLatin1Char(')') + delimiter + QLatin1Char('"');
        const int end = code_.indexOf(close, open);
        const QString text = code_.mid(open + 1, end - open - 1);
        while (pos_ < end + close.size()) advance();
        return text;
    }

    QString readQuoted() {
        QString text;
        ++pos_;
        while (pos_ < code_.size() && code_[pos_] != QLatin1Char('"') && code_[pos_] != QLatin1Char('\n')) {
            QChar c = code_[pos_];
            if (c == QLatin1Char('\\') && pos_ + 1 < code_.size()) {
                const QChar e = code_[++pos_];
                switch (e.toLatin1()) {
                case 'n': c = QLatin1Char('\n'); break;
                case 't': c = QLatin1Char('\t'); break;
                case 'r': c = QLatin1Char('\r'); break;
                default: c = e; break;
                }
            }
            text += c;
            ++pos_;
        }
        ++pos_;
        return text;
    }

    // Adjacent literals ("a" "b") form one text, as for the compiler.
    void readLiteralSequence() {
        SourceLiteral literal{file_, line_, QString()};
        for (;;) {
            literal.text += rawPrefix() ? readRawLiteral() : readQuoted();
            const int resume = pos_;
            const int resumeLine = line_;
            while (pos_ < code_.size()) {
                if (skipComment()) continue;
                if (code_[pos_].isSpace()) {
                    advance();
                    continue;
                }
                break;
            }
            if (at(pos_) != QLatin1Char('"')) {
                pos_ = resume;
                line_ = resumeLine;
                break;
            }
        }
        literals_.push_back(literal);
    }

    const QString& code_;
    const QString file_;
    int pos_ = 0;
    int line_ = 1;
    QVector<SourceLiteral> literals_;
};

QString readUtf8(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return QString();
    return QString::fromUtf8(file.readAll());
}

}  // namespace

QVector<SourceLiteral> cppStringLiterals(const QString& code, const QString& file) {
    return CppScanner(code, file).scan();
}

QVector<SourceLiteral> uiUntranslatedStrings(const QString& form, const QString& file) {
    QVector<SourceLiteral> found;
    QXmlStreamReader xml(form);
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("string") &&
            xml.attributes().value(QLatin1String("notr")) == QLatin1String("true")) {
            const int line = static_cast<int>(xml.lineNumber());
            found.push_back({file, line, xml.readElementText()});
        }
    }
    return found;
}

QVector<SourceLiteral> sourceLiterals(const QString& sourceDir, const QStringList& folders) {
    QVector<SourceLiteral> all;
    const QDir root(sourceDir);
    for (const QString& folder : folders) {
        QDirIterator it(root.filePath(folder), {QStringLiteral("*.h"), QStringLiteral("*.cpp"), QStringLiteral("*.ui")},
                        QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            const QString relative = root.relativeFilePath(path);
            const QString text = readUtf8(path);
            all += path.endsWith(QLatin1String(".ui")) ? uiUntranslatedStrings(text, relative)
                                                       : cppStringLiterals(text, relative);
        }
    }
    return all;
}

}  // namespace mirevo::test
