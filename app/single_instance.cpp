#include "app/single_instance.h"

#include "ui/instance_marker.h"

bool HandOverToRunningInstance()
{
    const quint64 window = InstanceMarker::findMarkedWindow();
    if (!window)
        return false;
    InstanceMarker::handOver(window);
    return true;
}
