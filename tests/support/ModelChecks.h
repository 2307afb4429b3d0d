#pragma once

#include <QAbstractItemModel>
#include <QByteArrayView>
#include <QString>
#include <QtGlobal>

#include <string>
#include <vector>

// The complaints of QAbstractItemModelTester (in its Warning mode), collected instead of printed while
// this object lives.
class ModelComplaints {
  public:
    ModelComplaints() {
        complaints().clear();
        previous_ =
            qInstallMessageHandler([](QtMsgType, const QMessageLogContext& context, const QString& text) {
                if (QByteArrayView(context.category) == "qt.modeltest")
                    complaints().push_back(text.toStdString());
            });
    }
    ~ModelComplaints() { qInstallMessageHandler(previous_); }
    ModelComplaints(const ModelComplaints&) = delete;
    ModelComplaints& operator=(const ModelComplaints&) = delete;

    static std::vector<std::string>& complaints() {
        static std::vector<std::string> list;
        return list;
    }

  private:
    QtMessageHandler previous_;
};

// The display texts of a model's rows under `parent`, in order.
inline std::vector<std::string> rowNames(const QAbstractItemModel& model, const QModelIndex& parent = {}) {
    std::vector<std::string> names;
    for (int row = 0; row < model.rowCount(parent); ++row)
        names.push_back(model.index(row, 0, parent).data().toString().toStdString());
    return names;
}
