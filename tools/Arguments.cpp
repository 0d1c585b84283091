#include "Arguments.h"

namespace sorvane::admin {

namespace {

const QString kFolder = QStringLiteral("--folder");

// "-5" is a value (then refused as out of range where it is one); "-x" and
// "--name" are options.
bool isOption(const QString &a)
{
    return a.size() > 1 && a.at(0) == u'-' && !a.at(1).isDigit();
}

} // namespace

bool ParsedArgs::has(const QString &name) const
{
    for (const auto &o : options)
        if (o.first == name)
            return true;
    return false;
}

QString ParsedArgs::value(const QString &name) const
{
    for (const auto &o : options)
        if (o.first == name)
            return o.second;
    return {};
}

bool parseArguments(const QStringList &args, const OptionSet &accepted, ParsedArgs &parsed, QString &error)
{
    parsed = ParsedArgs{};
    for (const QString &a : args) {
        if (a == u"--") // what follows is never an option, so not a request for help either
            break;
        if (a == u"--help" || a == u"-h") {
            parsed.help = true;
            return true;
        }
    }

    bool folderGiven = false;
    bool onlyValues = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args.at(i);
        if (onlyValues || !isOption(a)) {
            parsed.positional << a;
            continue;
        }
        if (a == u"--") {
            onlyValues = true;
            continue;
        }
        QString name = a;
        QString value;
        bool inlineValue = false;
        if (const qsizetype eq = a.indexOf(u'='); a.startsWith(u"--") && eq > 2) {
            name = a.left(eq);
            value = a.mid(eq + 1);
            inlineValue = true;
        }
        const bool takesValue = name == kFolder || accepted.withValue.contains(name);
        if (!takesValue && !(accepted.flags.contains(name) && !inlineValue)) {
            error = QStringLiteral("不明なオプションです: %1").arg(a);
            return false;
        }
        if (takesValue && !inlineValue) {
            // A value may begin with '-' (a negative number), but "--x" is the next option.
            if (i + 1 >= args.size() || args.at(i + 1).startsWith(u"--")) {
                error = QStringLiteral("%1 の後に値を指定してください").arg(name);
                return false;
            }
            value = args.at(++i);
        }
        if (name == kFolder) {
            if (folderGiven) {
                error = QStringLiteral("--folder が 2 回指定されています。データフォルダーは 1 つだけ指定してください");
                return false;
            }
            if (value.isEmpty()) {
                error = QStringLiteral("--folder の後にフォルダーを指定してください");
                return false;
            }
            folderGiven = true;
            parsed.folder = value;
            continue;
        }
        if (parsed.has(name)) {
            error = QStringLiteral("%1 が 2 回指定されています").arg(name);
            return false;
        }
        parsed.options.append({name, value});
    }
    return true;
}

} // namespace sorvane::admin
