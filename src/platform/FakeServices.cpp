#include "platform/FakeServices.h"

#include "platform/Text.h"

namespace saver {

namespace {

std::string keyName(const std::string& key) {
    std::string k = text::upper(key);
    while (!k.empty() && k.front() == '\\') k.erase(0, 1);
    while (!k.empty() && k.back() == '\\') k.pop_back();
    return k;
}

class FakeKey : public RegistryKey {
  public:
    FakeKey(FakeServices& owner, std::string key) : owner_(owner), key_(std::move(key)) {}
    RegValue read(const std::string& name) override { return owner_.value(key_, name); }
    bool writeDword(const std::string& name, std::uint32_t value) override {
        owner_.setDword(key_, name, value);
        return true;
    }

  private:
    FakeServices& owner_;
    std::string key_;
};

}  // namespace

void FakeServices::setValue(const std::string& key, const std::string& name,
                            const RegValue& value) {
    registry_[keyName(key)][text::upper(name)] = value;
}

void FakeServices::setDword(const std::string& key, const std::string& name, std::uint32_t value) {
    setValue(key, name, RegValue{RegType::Dword, value, {}});
}

void FakeServices::setString(const std::string& key, const std::string& name,
                             const std::string& value) {
    setValue(key, name, RegValue{RegType::String, 0, value});
}

void FakeServices::createKey(const std::string& key) {
    registry_[keyName(key)];
}

bool FakeServices::keyExists(const std::string& key) const {
    return registry_.count(keyName(key)) != 0;
}

RegValue FakeServices::value(const std::string& key, const std::string& name) const {
    auto k = registry_.find(keyName(key));
    if (k == registry_.end()) return {};
    auto v = k->second.find(text::upper(name));
    return v == k->second.end() ? RegValue{} : v->second;
}

std::string FakeServices::moduleFileName() {
    return moduleName;
}

std::string FakeServices::tempPath() {
    return temp;
}

bool FakeServices::createGuardMutex(const std::string& name) {
    return mutexes.insert(name).second;
}

WindowHandle FakeServices::foregroundWindow() {
    return foreground;
}

void FakeServices::setForegroundWindow(WindowHandle window) {
    raisedWindows.push_back(window);
}

std::string FakeServices::shellDisplayName(const std::string& path) {
    auto it = displayNames.find(path);
    return it == displayNames.end() ? std::string() : it->second;
}

MessageBoxAnswer FakeServices::messageBox(const std::string& text, const std::string& caption,
                                          MessageBoxKind kind) {
    messages.push_back({text, caption, kind});
    return answer;
}

std::uint64_t FakeServices::clockSeed() {
    return seed;
}

CodePages FakeServices::codePages() {
    return pages;
}

std::unique_ptr<RegistryKey> FakeServices::openUserKey(const std::string& subKey, bool create) {
    if (create) createKey(subKey);
    if (!keyExists(subKey)) return nullptr;
    return std::make_unique<FakeKey>(*this, subKey);
}

}  // namespace saver
