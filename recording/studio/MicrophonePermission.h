#pragma once

#include <functional>
#include <memory>

namespace tavero {

// The microphone permission as the system last reported it.
enum class MicrophoneAuthorization { notDetermined, restricted, denied, authorized };

// Where the studio asks whether it may record the microphone. The system
// keeps the answer: undetermined until the user answers its prompt once,
// then authorized or denied. The studio reads the status at every start and
// opens the prompt only while it is undetermined.
class MicrophonePermission {
public:
    // The user's answer to the prompt; it may come on any thread.
    using Answer = std::function<void(bool granted)>;

    virtual ~MicrophonePermission() = default;

    virtual MicrophoneAuthorization status() const = 0;
    // Opens the prompt; `answer` follows once.
    virtual void request(Answer answer) = 0;
};

// The sound server asks for no permission: always authorized, and a prompt
// (never needed) is granted at once.
std::unique_ptr<MicrophonePermission> grantedMicrophone();

}  // namespace tavero
