// The program's languages: the table of "DefaultData/Language.config", the
// texts of the chosen language file (language id -> text), the choice kept in
// the user's settings file, and translating widgets that carry a language id
// in their "langId" (text) or "langTipId" (tooltip) property.
#pragma once

#include <QHash>
#include <QString>
#include <QVector>

class QWidget;

struct LanguageEntry {
    int id = 0;           // "Language_ID"
    QString name;         // "Language_name"
    QString file;         // "Language_file", relative to the skin folder
    QString text;         // "Language_text"
};

inline constexpr int kDefaultLanguageId = 520;

class Language {
public:
    // Reads the language table (false when missing or not JSON: the table is empty).
    bool LoadTable(const QString& configPath);
    const QVector<LanguageEntry>& Table() const { return table_; }

    // The index the stored choice selects: the first entry whose id matches, else 0.
    int IndexOfId(int languageId) const;
    // Loads the texts of entry `index`; the current index is unchanged when it
    // equals it already (false then: nothing happened) or the file cannot be read.
    bool Apply(int index, const QString& skinFolder);
    int CurrentIndex() const { return current_; }
    int CurrentId() const;

    // The text of a language id; the id itself when the language has none.
    QString Text(const QString& id) const;
    bool Has(const QString& id) const { return texts_.contains(id); }
    // Sets the text and tooltip of every widget of the tree that carries an id.
    void Translate(QWidget* root) const;

    // Reads a language file into `texts`; false when it cannot be read or parsed.
    static bool ReadLanguageFile(const QString& path, QHash<QString, QString>& texts);

private:
    QVector<LanguageEntry> table_;
    QHash<QString, QString> texts_;
    int current_ = -1;
};

// The language choice of the user: "$XDG_CONFIG_HOME/R730-VXT-1K Gaming Mouse/settings.ini",
// key LANGUAGE (a "Language_ID"); kDefaultLanguageId when unset.
int StoredLanguageId();
bool StoreLanguageId(int languageId);
QString SettingsFilePath();

// The one language table and texts of the running program.
Language& AppLanguage();
// The text of a language id in the current language.
QString Tr(const char* id);
