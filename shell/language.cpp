#include "shell/language.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QSettings>
#include <QStandardPaths>
#include <QWidget>
#include <QXmlStreamReader>

#include "link/debug_trace.h"
#include "profiles/data_folders.h"

bool Language::LoadTable(const QString& configPath) {
    table_.clear();
    QFile file(configPath);
    if (file.size() > 1 << 20 || !file.open(QIODevice::ReadOnly)) return false;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll());
    const QJsonArray rows = doc.object().value("Language").toArray();
    for (const QJsonValue& row : rows) {
        const QJsonObject o = row.toObject();
        LanguageEntry e;
        e.id = o.value("Language_ID").toInt();
        e.name = o.value("Language_name").toString();
        e.file = o.value("Language_file").toString();
        e.text = o.value("Language_text").toString();
        table_.push_back(e);
    }
    return !table_.isEmpty();
}

int Language::IndexOfId(int languageId) const {
    for (int i = 0; i < table_.size(); ++i)
        if (table_[i].id == languageId) return i;
    return 0;
}

int Language::CurrentId() const {
    return current_ >= 0 && current_ < table_.size() ? table_[current_].id : kDefaultLanguageId;
}

bool Language::Apply(int index, const QString& skinFolder) {
    if (index == current_ || index < 0 || index >= table_.size()) return false;
    QHash<QString, QString> texts;
    if (!ReadLanguageFile(skinFolder + table_[index].file, texts)) {
        DebugTrace("language file unreadable: " + (skinFolder + table_[index].file).toStdString());
        return false;
    }
    texts_ = std::move(texts);
    current_ = index;
    return true;
}

QString Language::Text(const QString& id) const {
    auto it = texts_.constFind(id);
    return it == texts_.constEnd() ? id : *it;
}

void Language::Translate(QWidget* root) const {
    if (!root) return;
    QList<QWidget*> widgets = root->findChildren<QWidget*>();
    widgets.prepend(root);
    for (QWidget* w : widgets) {
        const QString id = w->property("langId").toString();
        if (!id.isEmpty() && Has(id)) {
            const QString text = Text(id);
            if (auto* b = qobject_cast<QAbstractButton*>(w)) b->setText(text);
            else if (auto* l = qobject_cast<QLabel*>(w)) l->setText(text);
            else if (auto* e = qobject_cast<QLineEdit*>(w)) e->setPlaceholderText(text);
            else if (auto* g = qobject_cast<QGroupBox*>(w)) g->setTitle(text);
            else w->setWindowTitle(text);
        }
        const QString tip = w->property("langTipId").toString();
        if (!tip.isEmpty() && Has(tip)) w->setToolTip(Text(tip));
    }
}

bool Language::ReadLanguageFile(const QString& path, QHash<QString, QString>& texts) {
    QFile file(path);
    if (file.size() > 4 << 20 || !file.open(QIODevice::ReadOnly)) return false;
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("text")) {
            const QString id = xml.attributes().value("id").toString();
            const QString text = xml.readElementText();
            if (!id.isEmpty()) texts.insert(id, text);
        }
    }
    return !xml.hasError();
}

QString SettingsFilePath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/" +
           kApplicationTitle + "/settings.ini";
}

int StoredLanguageId() {
    QSettings settings(SettingsFilePath(), QSettings::IniFormat);
    bool ok = false;
    const int id = settings.value("LANGUAGE").toInt(&ok);
    return ok ? id : kDefaultLanguageId;
}

bool StoreLanguageId(int languageId) {
    QSettings settings(SettingsFilePath(), QSettings::IniFormat);
    settings.setValue("LANGUAGE", languageId);
    settings.sync();
    if (settings.status() != QSettings::NoError) return false;
    DebugTrace("写成功！");
    return true;
}

Language& AppLanguage() {
    static Language language;
    return language;
}

QString Tr(const char* id) { return AppLanguage().Text(QString::fromUtf8(id)); }
