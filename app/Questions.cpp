// The wording of the questions a use case asks.
#include "app/UseCases.h"

namespace tarnwerk {
namespace {}  // namespace

Message QuestionMessage(int languageBase, Question question) {
    switch (question) {
        case Question::ReplaceOutput:
            return RenderNotice(languageBase,
                                Notice::Say({TextId::FileExistsText, TextId::OverwriteQuestion}, MessageIcon::Question,
                                            TextId::OverwriteTitle),
                                MessageButtons::YesNo);
        case Question::ReplaceArchive:
            return RenderNotice(languageBase,
                                Notice::Say({TextId::ArchiveExistsText, TextId::OverwriteQuestion},
                                            MessageIcon::Exclamation, TextId::OverwriteTitle),
                                MessageButtons::YesNo);
        case Question::HideAboveRecommended:
            return RenderNotice(
                languageBase,
                Notice::Say({TextId::AboveRecommendedRoomText, TextId::HideAnywayQuestion}, MessageIcon::Question),
                MessageButtons::YesNo);
        case Question::RetryStealthPassphrase:
            return RenderNotice(
                languageBase,
                Notice::Say({TextId::NothingFoundCause, TextId::RetryPassphraseText}, MessageIcon::Exclamation),
                MessageButtons::RetryCancel);
        case Question::RetryPassphrase:
            break;
    }
    return RenderNotice(languageBase,
                        Notice::Say({TextId::WrongPassphraseText, TextId::RetryPassphraseText},
                                    MessageIcon::Exclamation, TextId::WrongPassphraseTitle),
                        MessageButtons::RetryCancel);
}

}  // namespace tarnwerk
