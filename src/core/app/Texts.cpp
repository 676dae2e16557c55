#include "app/Texts.h"


namespace vtm {

std::string ValueLabelText(Language language)
{
    return IsGerman(language) ? "Wert:" : "Val:";
}

std::string ReadFailedText(Language language, const std::string &name)
{
    return IsGerman(language) ? "Konnte " + name + " nicht lesen!" : "Reading " + name + " failed!";
}

std::string OverwriteQuestion(Language language, const std::string &name)
{
    if (IsGerman(language))
        return "Die Datei " + name
               + " existiert bereits. Bestehende Datei überschreiben?\r\rWARNUNG: Das "
                 "Überschreiben von bestehenden Dateien kann Software und Daten ihres Systems "
                 "beschädigen. Es kann zu einem instabilen System führen. Wenn Sie nicht genau "
                 "wissen was Sie tun oder sich nicht über die möglichen Konsequenzen im Klaren "
                 "sind, dann drücken Sie den Nein-Schalter.";
    return "File " + name
           + " already exists. Overwrite existing file?\r\rWARNING: Overwriting files can damage "
             "your system's software and data. It can lead to an unstable system. If you don't "
             "know exactly what you are doing or you don't know about the possible consequences "
             "then you should press the No-button.";
}

std::string ChangedOnDiskQuestion(Language language, const std::string &name)
{
    if (IsGerman(language))
        return "Die Datei " + name
               + " wurde seit dem letzten Öffnen oder Speichern von einem anderen Programm "
                 "geändert.\r\rTrotzdem überschreiben? Die Änderungen des anderen Programms "
                 "gehen dabei verloren.";
    return "File " + name
           + " has been changed by another program since it was last opened or saved.\r\r"
             "Overwrite it anyway? The other program's changes will be lost.";
}

std::string NowALinkQuestion(Language language, const std::string &name,
                             const std::string &target)
{
    if (IsGerman(language))
        return "Die Datei " + name + " ist jetzt ein Verweis auf " + target
               + ".\r\rDas Dokument trotzdem in " + target + " speichern?";
    return "File " + name + " is now a link to " + target + ".\r\rSave the document into "
           + target + " anyway?";
}

std::string SourceFailedQuestion(Language language, const std::string &name,
                                 const FileFailure &failure, const std::string &first)
{
    const bool de = IsGerman(language);
    std::string text = first.empty() ? std::string() : first + "\r";
    if (failure.problem == FileProblem::Changed)
        text += de ? "Die Datei " + name
                         + " wurde von einem anderen Programm geändert oder gekürzt, während sie "
                           "geöffnet war."
                   : "File " + name
                         + " has been changed or truncated by another program while it was open.";
    else
        text += WithReason(de ? "Konnte " + name + " nicht lesen." : "Reading " + name + " failed.",
                           language, failure);
    return text
           + (de ? "\r\rIhre Bytes werden nicht mehr angezeigt, und aus ihnen kann nichts "
                   "gespeichert werden. Die Datei jetzt neu laden? Nicht gespeicherte Änderungen "
                   "gehen dabei verloren."
                 : "\r\rIts bytes are no longer shown, and nothing can be saved from them. Reload "
                   "the file now? Changes not saved will be lost.");
}

std::string SettingsReadFailedText(Language language, const std::string &path,
                                   const FileFailure &why)
{
    const bool de = IsGerman(language);
    return WithReason(de ? "Die Einstellungen konnten nicht aus " + path + " gelesen werden."
                         : "The settings could not be read from " + path + ".",
                      language, why)
           + (de ? "\rDer Editor startet mit seinen Voreinstellungen und lässt die Datei, wie "
                   "sie ist."
                 : "\rThe editor starts with its defaults and leaves the file as it is.");
}

std::string SettingsWriteFailedText(Language language, const std::string &path,
                                    const FileFailure &why)
{
    const bool de = IsGerman(language);
    return WithReason(de ? "Die Einstellungen konnten nicht in " + path + " gespeichert werden."
                         : "The settings could not be saved to " + path + ".",
                      language, why)
           + (de ? "\rDie Datei bleibt, wie sie war." : "\rThe file is left as it was.");
}

std::string SaveChangesQuestion(Language language, const std::string &openName)
{
    if (IsGerman(language))
        return openName.empty() ? "Daten wurden geändert. Änderungen speichern?"
                                : openName + " wurde geändert. Änderungen speichern?";
    return (openName.empty() ? std::string("Data") : openName) + " has been changed. Save changes?";
}

std::string OverwriteWarningOffQuestion(Language language)
{
    if (IsGerman(language))
        return "Wollen Sie die Warnungen deaktivieren?\r\rWARNUNG: Wenn Sie diese Option "
               "deaktivieren werden Sie vor dem Speichern von Dateien unter ihrem bisherigen "
               "Dateinamen nicht mehr nach einer Bestätigung gefragt. Das Risiko ist daher hoch, "
               "daß Sie versehentlich eine Datei mit modifizierten Daten überschreiben.\r\rDas "
               "Überschreiben von bestehenden Dateien kann Software und Daten ihres Systems "
               "beschädigen. Es kann zu einem instabilen System führen. Wenn Sie nicht genau "
               "wissen was Sie tun oder sich nicht über die möglichen Konsequenzen im Klaren "
               "sind, dann drücken Sie den Nein-Schalter.";
    return "Do you want to deactivate the warnings?\r\rWARNUNG: If you deactivate this option "
           "you will not be asked to confirm saving files under their present filename. Thus "
           "the risk will be high that you accidently overwrite files with modified data.\r\r"
           "Overwriting files can damage your system's software and data. It can lead to an "
           "unstable system. If you don't know exactly what you are doing or you don't know "
           "about the possible consequences then you should press the No-button.";
}

std::string AppTitle()
{
    return "Vantreelmorbisco";
}

std::string MainCaption(const std::string &fileName)
{
    return fileName.empty() ? AppTitle() : AppTitle() + " [" + fileName + "]";
}

} // namespace vtm
