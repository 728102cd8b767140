#pragma once
// A window's model: numbered fields holding texts. Logic writes, the widget
// shows (signal on change), log blocks, printouts and tests read the same texts.
#include <QObject>
#include <map>
#include <string>

class FieldSet : public QObject {
    Q_OBJECT
  public:
    explicit FieldSet(QObject* parent = nullptr) : QObject(parent) {}
    void Set(int id, const std::string& text);
    std::string Get(int id) const;
    bool Has(int id) const { return fields_.count(id) != 0; }
    const std::map<int, std::string>& All() const { return fields_; }
    void Clear();

  signals:
    void changed(int id, const QString& text);

  private:
    std::map<int, std::string> fields_;
};
