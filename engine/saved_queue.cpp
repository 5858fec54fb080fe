#include "engine/saved_queue.h"

#include "base/log.h"
#include "catalogue/source_name.h"
#include "engine/row_files.h"
#include "settings/settings_store.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace {

constexpr const char *kKind = "q9plemo-queue";
constexpr int kVersion = 1;

// clang-format off
constexpr struct { RowPhase phase; const char *name; } kPhaseNames[] = {
    {RowPhase::Idle, "idle"},         {RowPhase::Waiting, "waiting"}, {RowPhase::Converting, "converting"},
    {RowPhase::Packaging, "packaging"}, {RowPhase::Done, "done"},     {RowPhase::Stopped, "stopped"},
    {RowPhase::Failed, "failed"},     {RowPhase::Unreadable, "unreadable"},
};
// clang-format on

QString PhaseName(RowPhase phase)
{
    for (const auto &entry : kPhaseNames) {
        if (entry.phase == phase)
            return QString::fromLatin1(entry.name);
    }
    return QStringLiteral("idle");
}

std::optional<RowPhase> PhaseOf(const QString &name)
{
    for (const auto &entry : kPhaseNames) {
        if (name == QLatin1String(entry.name))
            return entry.phase;
    }
    return std::nullopt;
}

QJsonObject ChoicesObject(const BatchChoices &choices)
{
    return {{"format", FormatName(choices.format)},
            {"width", choices.width},
            {"height", choices.height},
            {"frameRate", choices.frameRate},
            {"bitrate", choices.bitrate}};
}

bool ReadChoices(const QJsonObject &object, BatchChoices *choices)
{
    const QString format = object.value("format").toString();
    bool known = false;
    for (const OutputFormat candidate : Formats()) {
        if (FormatName(candidate) == format) {
            choices->format = candidate;
            known = true;
        }
    }
    // Written as text by earlier versions, as numbers now.
    const auto number = [&object](const char *key) {
        const QJsonValue value = object.value(QLatin1String(key));
        return value.isString() ? value.toString().toInt() : value.toInt();
    };
    choices->width = number("width");
    choices->height = number("height");
    choices->frameRate = number("frameRate");
    choices->bitrate = number("bitrate");
    return known;
}

std::optional<SavedQueue> ParseQueue(const QByteArray &bytes)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonObject top = document.object();
    if (top.value("kind").toString() != QLatin1String(kKind) || top.value("version").toInt() != kVersion ||
        !top.value("rows").isArray())
        return std::nullopt;

    SavedQueue queue;
    if (!ReadChoices(top.value("choices").toObject(), &queue.choices))
        return std::nullopt;
    for (const QJsonValue &value : top.value("rows").toArray()) {
        const QJsonObject object = value.toObject();
        const std::optional<RowPhase> phase = PhaseOf(object.value("state").toString());
        // A name that is not UTF-8 is kept as its bytes.
        const QByteArray source = object.contains("pathBytes")
                                      ? QByteArray::fromBase64(object.value("pathBytes").toString().toLatin1())
                                      : object.value("path").toString().toUtf8();
        if (!phase || source.isEmpty())
            return std::nullopt;
        SavedRow row{source, *phase, {}, {}, object.value("subfolder").toString()};
        for (const QJsonValue &stem : object.value("reserved").toArray())
            row.reservedStems << stem.toString();
        for (const QJsonValue &file : object.value("files").toArray())
            row.files << file.toString();
        queue.rows << row;
    }
    return queue;
}

void SetAside(const QString &path, const char *why)
{
    const QString aside = path + QStringLiteral(".bad");
    QFile::remove(aside);
    QFile::rename(path, aside);
    qCWarning(lcQ9) << "the queue file" << path << why << "- set aside as" << aside;
}

}  // namespace

QString QueueFilePath()
{
    return QFileInfo(SettingsStore::filePath()).path() + QStringLiteral("/queue.json");
}

bool WriteQueueFile(const QString &path, const SavedQueue &queue)
{
    QJsonArray rows;
    for (const SavedRow &row : queue.rows) {
        QJsonObject object{{"path", ShownName(row.source)},
                           {"state", PhaseName(row.phase)},
                           {"reserved", QJsonArray::fromStringList(row.reservedStems)},
                           {"files", QJsonArray::fromStringList(row.files)}};
        if (!IsUtf8Name(row.source))
            object.insert("pathBytes", QString::fromLatin1(row.source.toBase64()));
        if (!row.subfolder.isEmpty())
            object.insert("subfolder", row.subfolder);
        rows.append(object);
    }
    const QJsonObject top{
        {"kind", kKind}, {"version", kVersion}, {"choices", ChoicesObject(queue.choices)}, {"rows", rows}};
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(top).toJson()) < 0 || !file.commit()) {
        qCWarning(lcQ9) << "cannot write the queue file" << path << file.errorString();
        return false;
    }
    return true;
}

std::optional<SavedQueue> ReadQueueFile(const QString &path)
{
    QFile file(path);
    if (!file.exists())
        return std::nullopt;
    if (!file.open(QIODevice::ReadOnly)) {
        SetAside(path, "cannot be read");
        return std::nullopt;
    }
    std::optional<SavedQueue> queue = ParseQueue(file.readAll());
    file.close();
    if (!queue)
        SetAside(path, "is damaged or not ours");
    return queue;
}

QList<SavedRow> RecoverUnfinishedRows(const SavedQueue &queue)
{
    QList<SavedRow> back;
    for (const SavedRow &row : queue.rows) {
        if (row.phase == RowPhase::Done)
            continue;
        // Exactly the files the row recorded, and nothing else.
        for (const QString &file : row.files)
            QFile::remove(file);
        for (const QString &stem : row.reservedStems)
            RemoveRowFiles(stem);
        back << SavedRow{row.source, RowPhase::Waiting, {}, {}, row.subfolder};
    }
    return back;
}
