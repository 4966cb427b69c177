#include "link/hid_node.h"

#include "link/hid_path.h"
#include "link/hidraw_transport.h"
#include "link/virtual_hid.h"

std::shared_ptr<HidNode> OpenHidNode(const std::string& node, bool readAccess, bool writeAccess) {
    if (node.rfind(kVirtualNodePrefix, 0) == 0)
        return VirtualHidBus::Instance().Open(node, readAccess, writeAccess);
    if (node.rfind(kHidrawNodePrefix, 0) == 0) return OpenHidrawNode(node, readAccess, writeAccess);
    return nullptr;
}

bool HidPathPresent(const std::string& path) {
    const std::string node(HidPathNode(path));
    if (node.rfind(kVirtualNodePrefix, 0) == 0) return VirtualHidBus::Instance().Contains(node);
    if (node.rfind(kHidrawNodePrefix, 0) == 0) return HidrawNodePresent(node, HidPathInstance(path));
    return false;
}

bool ListHidNodes(std::vector<HidNodeInfo>& nodes) {
    nodes.clear();
    if (!ListHidrawNodes(nodes)) return false;
    VirtualHidBus::Instance().List(nodes);
    return true;
}
