#pragma once

// Assertions on what a call throws: the exception's type and its exact message.

#include <gtest/gtest.h>

#include <exception>
#include <string>

namespace zandrel::test {

// The message of the `Exception` that `call` throws, or "(no error)" when it returns.
// Any other exception propagates, so that the test reports it.
template <typename Exception, typename Call>
std::string messageThrownBy(Call&& call) {
    try {
        call();
    } catch (const Exception& error) {
        return error.what();
    }
    return "(no error)";
}

// Success when `call` throws an `Exception` whose message is exactly `expected`; the failure
// names what was thrown instead (another message, another exception or nothing).
// Use: EXPECT_TRUE(throwsWithMessage<std::runtime_error>([&] { read(path); }, "text"));
template <typename Exception, typename Call>
::testing::AssertionResult throwsWithMessage(Call&& call, const std::string& expected) {
    try {
        call();
    } catch (const Exception& error) {
        if (error.what() == expected) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "threw \"" << error.what() << "\"\n   expected \"" << expected << "\"";
    } catch (const std::exception& error) {
        return ::testing::AssertionFailure() << "threw another exception type: \"" << error.what()
                                             << "\"\n   expected \"" << expected << "\"";
    } catch (...) {
        return ::testing::AssertionFailure() << "threw something that is not a std::exception";
    }
    return ::testing::AssertionFailure() << "threw nothing\n   expected \"" << expected << "\"";
}

}  // namespace zandrel::test
