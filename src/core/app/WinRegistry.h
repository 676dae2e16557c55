#pragma once

#ifdef _WIN32

#include "app/Settings.h"

namespace vtm {

// The settings key in the registry of the current user.
class RegistryKey : public SettingsSource, public SettingsSink
{
public:
    // Read opens an existing key only; Write creates it when it is missing.
    enum class Access { Read, Write };

    explicit RegistryKey(Access access);
    ~RegistryKey() override;
    RegistryKey(const RegistryKey &) = delete;
    RegistryKey &operator=(const RegistryKey &) = delete;

    bool IsOpen() const { return m_key != nullptr; }

    StoredValue Value(const std::string &name) const override;
    bool WriteDword(const std::string &name, std::int32_t value) override;
    bool WriteString(const std::string &name, const std::string &text) override;

private:
    void *m_key = nullptr; // HKEY, kept out of this header
};

} // namespace vtm

#endif
