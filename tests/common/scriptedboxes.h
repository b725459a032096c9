// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "messageboxes.h"

#include <QStringList>

#include <deque>
#include <functional>
#include <vector>

// Message boxes answered from a script (Yes to questions, OK otherwise, when it runs out);
// every box shown is recorded. The engine's fake window and the window tests both use it.
class ScriptedBoxes : public IMessageBoxes
{
public:
    struct Message
    {
        QString prompt;
        MessageKind kind;
        QString title;
    };
    std::vector<Message> messages;
    std::deque<MessageAnswer> answers;
    std::function<void(const Message &)> onShow; // lets a test look around while a box is up

    MessageAnswer show(const QString &prompt, MessageKind kind, const QString &title) override
    {
        messages.push_back({prompt, kind, title});
        if (onShow)
            onShow(messages.back());
        if (!answers.empty()) {
            const MessageAnswer a = answers.front();
            answers.pop_front();
            return a;
        }
        const bool question
            = kind == MessageKind::Question || kind == MessageKind::CriticalQuestion;
        return question ? MessageAnswer::Yes : MessageAnswer::Ok;
    }

    QStringList messageTitles() const
    {
        QStringList titles;
        for (const auto &m : messages)
            titles << m.title;
        return titles;
    }
    QStringList messagePrompts() const
    {
        QStringList prompts;
        for (const auto &m : messages)
            prompts << m.prompt;
        return prompts;
    }
};
