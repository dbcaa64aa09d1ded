#include "runtime_search.h"

#include "webview2_target.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <tuple>

namespace tarvela::loader {
namespace {

constexpr const char* stable = "{F3017226-FE2A-4295-8BDF-00C3A9A7E4C5}";
constexpr const char* beta = "{2CD8A007-E189-409D-A2C8-9AF4EF3C72AA}";
constexpr const char* canary = "{65C35B14-6C1D-4122-AC46-7148CC9D6497}";
constexpr const char* dll_suffix = "\\EBWebView\\x64\\EmbeddedBrowserWebView.dll";
const Version target = *parse_version(webview2_target_version);

// A machine with a registry, an environment and files of our choosing.
struct FakeMachine {
    std::map<std::tuple<RegistryRoot, std::string, std::string>, std::string> registry;
    std::map<std::string, std::string> environment;
    std::set<std::string> files;
    std::map<std::string, std::string> versions;  // of DLLs with a version resource

    void install(RegistryRoot root, const char* channel, const std::string& folder, bool with_dll = true) {
        registry[{root, std::string("Software\\Microsoft\\EdgeUpdate\\ClientState\\") + channel, "EBWebView"}] = folder;
        const std::string bare = folder.ends_with('\\') ? folder.substr(0, folder.size() - 1) : folder;
        if (with_dll) files.insert(bare + dll_suffix);
    }
    void policy(RegistryRoot root, const std::string& setting, const std::string& app, const std::string& value) {
        registry[{root, "Software\\Policies\\Microsoft\\Edge\\WebView2\\" + setting, app}] = value;
    }

    SearchPlatform platform() const {
        return SearchPlatform{
            .read_registry = [this](RegistryRoot root, std::string_view key,
                                    std::string_view name) -> std::optional<std::string> {
                const auto found = registry.find({root, std::string(key), std::string(name)});
                if (found == registry.end()) return std::nullopt;
                return found->second;
            },
            .environment = [this](std::string_view name) -> std::optional<std::string> {
                const auto found = environment.find(std::string(name));
                if (found == environment.end()) return std::nullopt;
                return found->second;
            },
            .file_exists = [this](std::string_view path) { return files.contains(std::string(path)); },
            .file_version = [this](std::string_view path) -> std::optional<std::string> {
                const auto found = versions.find(std::string(path));
                if (found == versions.end()) return std::nullopt;
                return found->second;
            },
            .exe_directory = "C:\\App",
            .exe_file_name = "TarvelaSorveloApp.exe",
        };
    }
};

FoundRuntime found(const SearchResult& result) {
    const auto* runtime = std::get_if<FoundRuntime>(&result);
    EXPECT_NE(runtime, nullptr);
    return runtime ? *runtime : FoundRuntime{"", RuntimeKind::installed, "", ""};
}

TEST(Version, ParsesFourDottedNumbersOnly) {
    EXPECT_EQ(parse_version("126.0.2592.51")->parts, (std::array<std::uint32_t, 4>{126, 0, 2592, 51}));
    EXPECT_FALSE(parse_version("126.0.2592"));
    EXPECT_FALSE(parse_version("126.0.2592.51.1"));
    EXPECT_FALSE(parse_version("126.0..51"));
    EXPECT_FALSE(parse_version("126.0.2592.51 beta"));
    EXPECT_FALSE(parse_version("Application"));
    EXPECT_FALSE(parse_version(""));
    EXPECT_LT(*parse_version("86.0.616.0"), *parse_version("126.0.0.0"));
}

TEST(InstalledRuntime, NothingInstalledIsFileNotFound) {
    FakeMachine machine;
    EXPECT_EQ(std::get<std::uint32_t>(find_runtime(std::nullopt, false, target, machine.platform())), 2u);
}

TEST(InstalledRuntime, StableForTheMachineIsFoundWithItsDll) {
    FakeMachine machine;
    machine.install(RegistryRoot::local_machine, stable, "C:\\EdgeWebView\\Application\\126.0.2592.68\\");
    const FoundRuntime runtime = found(find_runtime(std::nullopt, false, target, machine.platform()));
    EXPECT_EQ(runtime.dll_path, std::string("C:\\EdgeWebView\\Application\\126.0.2592.68") + dll_suffix);
    EXPECT_EQ(runtime.kind, RuntimeKind::installed);
    EXPECT_EQ(runtime.version, "126.0.2592.68");
    EXPECT_EQ(runtime.channel_suffix, "");
}

TEST(InstalledRuntime, MachineBeforeUserAndStableBeforeOtherChannels) {
    FakeMachine machine;
    machine.install(RegistryRoot::current_user, stable, "C:\\User\\127.0.0.1");
    machine.install(RegistryRoot::local_machine, stable, "C:\\Machine\\126.1.0.1");
    machine.install(RegistryRoot::local_machine, beta, "C:\\Beta\\128.0.0.1");
    EXPECT_EQ(found(find_runtime(std::nullopt, false, target, machine.platform())).version, "126.1.0.1");

    machine.install(RegistryRoot::current_user, canary, "C:\\Canary\\130.0.0.1");
    const FoundRuntime reversed = found(find_runtime(std::nullopt, true, target, machine.platform()));
    EXPECT_EQ(reversed.version, "130.0.0.1");
    EXPECT_EQ(reversed.channel_suffix, " canary");
}

TEST(InstalledRuntime, OlderThanTheTargetUnparsableOrMissingEntriesArePassedOver) {
    FakeMachine machine;
    machine.install(RegistryRoot::local_machine, stable, "C:\\Old\\126.0.2592.50");
    machine.install(RegistryRoot::current_user, stable, "C:\\Missing\\127.0.0.1", false);
    machine.install(RegistryRoot::local_machine, beta, "C:\\Odd\\latest");
    machine.install(RegistryRoot::current_user, beta, "C:\\Beta\\126.0.2592.51");
    const FoundRuntime runtime = found(find_runtime(std::nullopt, false, target, machine.platform()));
    EXPECT_EQ(runtime.version, "126.0.2592.51");
    EXPECT_EQ(runtime.channel_suffix, " beta");

    // Present but too old is told apart from absent.
    FakeMachine old;
    old.install(RegistryRoot::local_machine, stable, "C:\\Old\\125.9.9999.9999");
    old.install(RegistryRoot::current_user, stable, "C:\\Oldest\\86.0.616.0");
    EXPECT_EQ(std::get<std::uint32_t>(find_runtime(std::nullopt, false, target, old.platform())), 1306u);
    FakeMachine gone;
    gone.install(RegistryRoot::local_machine, stable, "C:\\Old\\125.9.9999.9999", false);
    EXPECT_EQ(std::get<std::uint32_t>(find_runtime(std::nullopt, false, target, gone.platform())), 2u);
}

TEST(FixedVersionRuntime, FolderIsAbsoluteOrBesideTheExecutable) {
    FakeMachine machine;
    machine.files.insert(std::string("D:\\Fixed") + dll_suffix);
    machine.files.insert(std::string("C:\\App\\runtime") + dll_suffix);
    machine.install(RegistryRoot::local_machine, stable, "C:\\Machine\\126.0.0.1");

    const FoundRuntime absolute = found(find_runtime("D:\\Fixed\\", false, target, machine.platform()));
    EXPECT_EQ(absolute.dll_path, std::string("D:\\Fixed") + dll_suffix);
    EXPECT_EQ(absolute.kind, RuntimeKind::fixed_version);
    EXPECT_EQ(found(find_runtime("runtime", false, target, machine.platform())).dll_path,
              std::string("C:\\App\\runtime") + dll_suffix);
    EXPECT_EQ(std::get<std::uint32_t>(find_runtime("D:\\Elsewhere", false, target, machine.platform())), 2u);
}

TEST(FixedVersionRuntime, ItsOwnVersionMustNotBeOlderThanTheTarget) {
    FakeMachine machine;
    const std::string dll = std::string("D:\\Fixed") + dll_suffix;
    machine.files.insert(dll);
    EXPECT_EQ(found(find_runtime("D:\\Fixed", false, target, machine.platform())).version, "");
    machine.versions[dll] = "126.0.2592.68";
    EXPECT_EQ(found(find_runtime("D:\\Fixed", false, target, machine.platform())).version, "126.0.2592.68");
    machine.versions[dll] = "120.0.2210.91";
    EXPECT_EQ(std::get<std::uint32_t>(find_runtime("D:\\Fixed", false, target, machine.platform())), 1306u);
}

TEST(FixedVersionRuntime, ABrowserInstallationIsRefused) {
    FakeMachine machine;
    const std::string folder = "C:\\Program Files (x86)\\Microsoft\\Edge\\Application\\126.0.0.1";
    machine.files.insert(folder + dll_suffix);
    EXPECT_EQ(std::get<std::uint32_t>(find_runtime(folder, false, target, machine.platform())), 50u);
    EXPECT_EQ(std::get<std::uint32_t>(find_runtime("C:\\x\\edge\\application", false, target, machine.platform())), 50u);
}

TEST(Overrides, EnvironmentBeforePolicyAndMachinePolicyBeforeUserPolicy) {
    FakeMachine machine;
    machine.policy(RegistryRoot::current_user, "BrowserExecutableFolder", "TarvelaSorveloApp.exe", "C:\\User");
    machine.policy(RegistryRoot::local_machine, "BrowserExecutableFolder", "*", "C:\\Machine");
    EXPECT_EQ(read_overrides(machine.platform()).browser_folder, "C:\\Machine");

    machine.policy(RegistryRoot::local_machine, "BrowserExecutableFolder", "TarvelaSorveloApp.exe", "C:\\Named");
    EXPECT_EQ(read_overrides(machine.platform()).browser_folder, "C:\\Named");

    machine.environment["WEBVIEW2_BROWSER_EXECUTABLE_FOLDER"] = "";
    EXPECT_EQ(read_overrides(machine.platform()).browser_folder, "C:\\Named");
    machine.environment["WEBVIEW2_BROWSER_EXECUTABLE_FOLDER"] = "C:\\Env";
    EXPECT_EQ(read_overrides(machine.platform()).browser_folder, "C:\\Env");
}

TEST(Overrides, UserDataFolderPolicyNeedsTheExecutableName) {
    FakeMachine machine;
    machine.policy(RegistryRoot::local_machine, "UserDataFolder", "*", "C:\\Everyone");
    EXPECT_FALSE(read_overrides(machine.platform()).user_data_folder);
    machine.policy(RegistryRoot::current_user, "UserDataFolder", "TarvelaSorveloApp.exe", "C:\\Ours");
    EXPECT_EQ(read_overrides(machine.platform()).user_data_folder, "C:\\Ours");
}

TEST(Overrides, ChannelOrderIsReversedOnlyByTheValueOne) {
    FakeMachine machine;
    EXPECT_FALSE(read_overrides(machine.platform()).reverse_channel_order);
    machine.policy(RegistryRoot::local_machine, "ReleaseChannelPreference", "*", "1");
    EXPECT_TRUE(read_overrides(machine.platform()).reverse_channel_order);
    machine.environment["WEBVIEW2_RELEASE_CHANNEL_PREFERENCE"] = "0";
    EXPECT_FALSE(read_overrides(machine.platform()).reverse_channel_order);
}

}  // namespace
}  // namespace tarvela::loader
