#include "app/single_instance.h"

#include "ui/instance_marker.h"

bool HandOverToRunningInstance(const QStringList &files)
{
    const quint64 window = InstanceMarker::findMarkedWindow();
    if (!window)
        return false;
    InstanceMarker::handOver(window, files);
    return true;
}
