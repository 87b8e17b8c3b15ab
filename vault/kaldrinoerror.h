#pragma once

#include <stdexcept>
#include <string>

// An error whose message is the French text the user reads in the
// application's error box. Messages are UTF-8.
class KaldrinoError : public std::exception {
public:
    explicit KaldrinoError(std::string message)
        : m_message(std::move(message))
    {
    }
    const char* what() const noexcept override { return m_message.c_str(); }
    const std::string& message() const noexcept { return m_message; }

private:
    std::string m_message;
};

// "'%s' n'est pas une valeur entière correcte": a text that is not a whole number.
class ConversionError : public KaldrinoError {
public:
    using KaldrinoError::KaldrinoError;
};

// "Impossible d'écrire dans %s": the vault file could not be written.
class VaultWriteError : public KaldrinoError {
public:
    using KaldrinoError::KaldrinoError;
};
