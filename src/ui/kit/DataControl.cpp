#include "ui/kit/DataControl.h"

namespace hanlabel {

DataControl::DataControl(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::NoFocus);
    hide();
}

void DataControl::setDatabaseName(const QString& path) { m_source.bind(path); }

} // namespace hanlabel
