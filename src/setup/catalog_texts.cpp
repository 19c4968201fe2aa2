// The texts of the message catalog in every language slot.
//
// Slot order: English, German, French, Swedish, British English (null: the
// English text), Spanish, Italian, Portuguese. Every translation keeps the
// markers that ExpandText replaces ("Halvorn+", "!!co_shrt!!", "!!co_long!!"
// and the "95" of "Windows 95") and the format placeholders in the order of
// the English text, since callers fill them positionally. Button labels keep
// one "&" accelerator, distinct within the seven labels of a language.
#include "setup/catalog_texts.h"

#include <cstddef>
#include <iterator>

namespace setup::catalog_texts {
namespace {

#define ENTRY(id) id, #id

constexpr SourceEntry kEntries[] = {
    {ENTRY(MSG_GROUP_DIALOG_TITLE), 1, {
        {"Select Program Group Name"},
        {"Namen der Programmgruppe auswählen"},
        {"Sélectionnez le nom du groupe de programmes"},
        {"Välj namn på programgrupp"},
        {},
        {"Seleccione el nombre del grupo de programas"},
        {"Selezionare il nome del gruppo di programmi"},
        {"Seleccione o nome do grupo de programas"},
    }},
    {ENTRY(MSG_SYSINI_COMMENT_LINE), 1, {
        {"The following line was commented out by Halvorn+ Setup"},
        {"Die folgende Zeile wurde von Halvorn+ Setup auskommentiert"},
        {"La ligne suivante a été mise en commentaire par l'installation de Halvorn+"},
        {"Följande rad kommenterades bort av installationsprogrammet för Halvorn+"},
        {},
        {"La siguiente línea se convirtió en comentario durante la instalación de Halvorn+"},
        {"La riga seguente è stata commentata dall'installazione di Halvorn+"},
        {"A linha seguinte foi comentada pela instalação do Halvorn+"},
    }},
    {ENTRY(MSG_GROUP_NAME_UNDETERMINED), 1, {
        {"UnInstall could not determine Halvorn+'s group name.\n\n"},
        {"Die Deinstallation konnte den Gruppennamen von Halvorn+ nicht ermitteln.\n\n"},
        {"La désinstallation n'a pas pu déterminer le nom du groupe de Halvorn+.\n\n"},
        {"Avinstallationen kunde inte avgöra vilket gruppnamn Halvorn+ har.\n\n"},
        {},
        {"La desinstalación no pudo determinar el nombre del grupo de Halvorn+.\n\n"},
        {"La disinstallazione non è riuscita a determinare il nome del gruppo di Halvorn+.\n\n"},
        {"A desinstalação não conseguiu determinar o nome do grupo do Halvorn+.\n\n"},
    }},
    {ENTRY(MSG_GROUP_NAME_CHANGED), 1, {
        {"The original group name has changed\nsince Halvorn+ was originally installed.\n\n"},
        {"Der ursprüngliche Gruppenname hat sich geändert,\nseit Halvorn+ installiert wurde.\n\n"},
        {"Le nom de groupe d'origine a changé\ndepuis l'installation de Halvorn+.\n\n"},
        {"Det ursprungliga gruppnamnet har ändrats\nsedan Halvorn+ installerades.\n\n"},
        {},
        {"El nombre original del grupo ha cambiado\ndesde que se instaló Halvorn+.\n\n"},
        {"Il nome originale del gruppo è cambiato\ndopo l'installazione di Halvorn+.\n\n"},
        {"O nome original do grupo foi alterado\ndesde a instalação do Halvorn+.\n\n"},
    }},
    {ENTRY(MSG_REMOVE_ITEMS_SUMMARY), 1, {
        {"You are about to remove these items:\n\nGroup Name:\n%s\n\nDirectory:\n%s\n\n"},
        {"Sie sind im Begriff, folgende Elemente zu entfernen:\n\nGruppenname:\n%s\n\nVerzeichnis:\n%s\n\n"},
        {"Vous êtes sur le point de supprimer ces éléments :\n\nNom du groupe :\n%s\n\nRépertoire :\n%s\n\n"},
        {"Följande objekt kommer att tas bort:\n\nGruppnamn:\n%s\n\nKatalog:\n%s\n\n"},
        {},
        {"Está a punto de eliminar estos elementos:\n\nNombre del grupo:\n%s\n\nDirectorio:\n%s\n\n"},
        {"Si stanno per rimuovere questi elementi:\n\nNome del gruppo:\n%s\n\nDirectory:\n%s\n\n"},
        {"Está prestes a remover estes itens:\n\nNome do grupo:\n%s\n\nDirectório:\n%s\n\n"},
    }},
    {ENTRY(MSG_SELECT_GROUP_TO_REMOVE), 1, {
        {"Please select the group you wish to remove.\n\nAfter clicking OK, uninstall will be verify that\nthe group actually contains Halvorn+ program items."},
        {"Wählen Sie die Gruppe aus, die entfernt werden soll.\n\nNach dem Klicken auf OK prüft die Deinstallation,\nob die Gruppe tatsächlich Programmelemente von Halvorn+ enthält."},
        {"Sélectionnez le groupe à supprimer.\n\nAprès un clic sur OK, la désinstallation vérifiera\nque le groupe contient bien des éléments de programme de Halvorn+."},
        {"Välj den grupp som du vill ta bort.\n\nNär du har klickat på OK kontrollerar avinstallationen\natt gruppen verkligen innehåller programobjekt för Halvorn+."},
        {},
        {"Seleccione el grupo que desea eliminar.\n\nAl hacer clic en Aceptar, la desinstalación comprobará\nque el grupo contiene realmente elementos de programa de Halvorn+."},
        {"Selezionare il gruppo da rimuovere.\n\nDopo aver fatto clic su OK, la disinstallazione verificherà\nche il gruppo contenga effettivamente elementi di programma di Halvorn+."},
        {"Seleccione o grupo que pretende remover.\n\nDepois de clicar em OK, a desinstalação verificará\nse o grupo contém realmente itens de programa do Halvorn+."},
    }},
    {ENTRY(MSG_TRANSFER_COMPLETE), 1, {
        {"File Transfer Complete."},
        {"Dateiübertragung abgeschlossen."},
        {"Transfert des fichiers terminé."},
        {"Filöverföringen är klar."},
        {},
        {"Transferencia de archivos finalizada."},
        {"Trasferimento dei file completato."},
        {"Transferência de ficheiros concluída."},
    }},
    {ENTRY(MSG_COPYING), 1, {
        {"Copying:\n"},
        {"Wird kopiert:\n"},
        {"Copie en cours :\n"},
        {"Kopierar:\n"},
        {},
        {"Copiando:\n"},
        {"Copia in corso:\n"},
        {"A copiar:\n"},
    }},
    {ENTRY(MSG_SETUP_DAT_OPEN_FAILED), 1, {
        {"Can't find or open SETUP.DAT."},
        {"SETUP.DAT wurde nicht gefunden oder kann nicht geöffnet werden."},
        {"Impossible de trouver ou d'ouvrir SETUP.DAT."},
        {"Det går inte att hitta eller öppna SETUP.DAT."},
        {},
        {"No se puede encontrar o abrir SETUP.DAT."},
        {"Impossibile trovare o aprire SETUP.DAT."},
        {"Não é possível encontrar ou abrir SETUP.DAT."},
    }},
    {ENTRY(MSG_SETUP_DAT_INVALID), 1, {
        {"There are invalid fields in SETUP.DAT"},
        {"SETUP.DAT enthält ungültige Felder"},
        {"SETUP.DAT contient des champs non valides"},
        {"SETUP.DAT innehåller ogiltiga fält"},
        {},
        {"SETUP.DAT contiene campos no válidos"},
        {"SETUP.DAT contiene campi non validi"},
        {"SETUP.DAT contém campos inválidos"},
    }},
    {ENTRY(MSG_DIRECTORY_BROWSER_TITLE), 1, {
        {"Directory Browser"},
        {"Verzeichnis durchsuchen"},
        {"Parcourir les répertoires"},
        {"Bläddra bland kataloger"},
        {},
        {"Examinar directorios"},
        {"Sfoglia directory"},
        {"Procurar directórios"},
    }},
    {ENTRY(MSG_SETUP_TITLE), 1, {
        {"Halvorn+ Setup for Windows 95"},
        {"Halvorn+ Setup für Windows 95"},
        {"Installation de Halvorn+ pour Windows 95"},
        {"Installation av Halvorn+ för Windows 95"},
        {},
        {"Instalación de Halvorn+ para Windows 95"},
        {"Installazione di Halvorn+ per Windows 95"},
        {"Instalação do Halvorn+ para Windows 95"},
    }},
    // Only the first three slots hold this hint; the others show nothing.
    {ENTRY(MSG_BROWSE_OR_CANCEL_HINT), 1, {
        {"Click Browse to select a different group.\nClick Cancel to quit uninstall now."},
        {"Klicken Sie auf Durchsuchen, um eine andere Gruppe auszuwählen.\nKlicken Sie auf Abbrechen, um die Deinstallation zu beenden."},
        {"Cliquez sur Parcourir pour sélectionner un autre groupe.\nCliquez sur Annuler pour quitter la désinstallation maintenant."},
        {""},
        {""},
        {""},
        {""},
        {""},
    }},
    {ENTRY(MSG_RECONFIGURE_TAPE), 2, {
        {"A previous installation exists.\nDo you want the tape drive to be reconfigured?", "Note"},
        {"Eine frühere Installation ist vorhanden.\nSoll das Bandlaufwerk neu konfiguriert werden?", "Hinweis"},
        {"Une installation précédente existe.\nVoulez-vous reconfigurer le lecteur de bande ?", "Remarque"},
        {"Det finns en tidigare installation.\nVill du att bandstationen ska konfigureras om?", "Obs!"},
        {},
        {"Existe una instalación anterior.\n¿Desea volver a configurar la unidad de cinta?", "Nota"},
        {"Esiste un'installazione precedente.\nRiconfigurare l'unità a nastro?", "Nota"},
        {"Existe uma instalação anterior.\nPretende reconfigurar a unidade de banda?", "Nota"},
    }},
    {ENTRY(MSG_CONFIRM_UNINSTALL), 2, {
        {"This will remove the Halvorn+ application!\n\nAre you sure you wish to do this?", "Confirm Uninstall"},
        {"Hiermit wird die Halvorn+-Anwendung entfernt!\n\nSoll sie wirklich entfernt werden?", "Bestätigen Sie die Deinstallation"},
        {"Ceci va supprimer l'application Halvorn+ !\n\nEst-ce bien ce que vous désirez ?", "Confirmez la désinstallation"},
        {"Programmet Halvorn+ kommer att tas bort!\n\nÄr du säker på att du vill göra detta?", "Bekräfta avinstallation"},
        {},
        {"¡Se eliminará la aplicación Halvorn+!\n\n¿Está seguro de que desea hacerlo?", "Confirmar desinstalación"},
        {"L'applicazione Halvorn+ verrà rimossa!\n\nProcedere davvero?", "Conferma disinstallazione"},
        {"A aplicação Halvorn+ vai ser removida!\n\nTem a certeza de que pretende continuar?", "Confirmar desinstalação"},
    }},
    {ENTRY(MSG_INCOMPLETE_DIRECTORY), 2, {
        {"Please enter a full path including drive.", "Incomplete Directory Name"},
        {"Geben Sie einen vollständigen Pfad mit Laufwerk ein.", "Unvollständiger Verzeichnisname"},
        {"Entrez un chemin complet, lecteur compris.", "Nom de répertoire incomplet"},
        {"Ange en fullständig sökväg inklusive enhet.", "Ofullständigt katalognamn"},
        {},
        {"Escriba una ruta completa, incluida la unidad.", "Nombre de directorio incompleto"},
        {"Immettere un percorso completo, compresa l'unità.", "Nome di directory incompleto"},
        {"Introduza um caminho completo, incluindo a unidade.", "Nome de directório incompleto"},
    }},
    {ENTRY(MSG_DIRECTORY_EXISTS), 2, {
        {"That directory already exists.\n\nInstall to it anyway?", "Confirm Directory Choice"},
        {"Dieses Verzeichnis ist bereits vorhanden.\n\nTrotzdem darin installieren?", "Verzeichnisauswahl bestätigen"},
        {"Ce répertoire existe déjà.\n\nInstaller quand même dans ce répertoire ?", "Confirmez le choix du répertoire"},
        {"Katalogen finns redan.\n\nVill du installera i den ändå?", "Bekräfta val av katalog"},
        {},
        {"Ese directorio ya existe.\n\n¿Desea instalar en él de todos modos?", "Confirmar directorio"},
        {"La directory esiste già.\n\nInstallare comunque in questa directory?", "Conferma directory"},
        {"Esse directório já existe.\n\nPretende instalar nele mesmo assim?", "Confirmar directório"},
    }},
    {ENTRY(MSG_INVALID_DIRECTORY), 2, {
        {"Cannot accept that entry", "Invalid Directory Name"},
        {"Diese Eingabe kann nicht übernommen werden", "Ungültiger Verzeichnisname"},
        {"Cette entrée ne peut pas être acceptée", "Nom de répertoire non valide"},
        {"Det angivna värdet kan inte godtas", "Ogiltigt katalognamn"},
        {},
        {"No se puede aceptar ese valor", "Nombre de directorio no válido"},
        {"Impossibile accettare il valore immesso", "Nome di directory non valido"},
        {"Não é possível aceitar esse valor", "Nome de directório inválido"},
    }},
    {ENTRY(MSG_CONFIRM_CANCEL), 2, {
        {"Are you sure you wish to cancel?", "Confirm Cancel"},
        {"Möchten Sie wirklich abbrechen?", "Abbrechen bestätigen"},
        {"Voulez-vous vraiment annuler ?", "Confirmez l'annulation"},
        {"Vill du verkligen avbryta?", "Bekräfta avbrott"},
        {},
        {"¿Está seguro de que desea cancelar?", "Confirmar cancelación"},
        {"Annullare davvero?", "Conferma annullamento"},
        {"Tem a certeza de que pretende cancelar?", "Confirmar cancelamento"},
    }},
    // German, French and Swedish show this note without a caption.
    {ENTRY(MSG_DRIVERS_DEACTIVATED), 2, {
        {"The following drivers have been deactivated in\nyour SYSTEM.INI file to avoid conflicts with Halvorn+:\n\n%s\n\nA backup of your original SYSTEM.INI file has been saved as:\n%s\n", "Note"},
        {"Die folgenden Treiber wurden in Ihrer Datei SYSTEM.INI\ndeaktiviert, um Konflikte mit Halvorn+ zu vermeiden:\n\n%s\n\nEine Sicherungskopie Ihrer ursprünglichen Datei SYSTEM.INI wurde gespeichert unter:\n%s\n", ""},
        {"Les pilotes suivants ont été désactivés dans votre\nfichier SYSTEM.INI pour éviter des conflits avec Halvorn+ :\n\n%s\n\nUne copie de sauvegarde de votre fichier SYSTEM.INI d'origine a été enregistrée sous :\n%s\n", ""},
        {"Följande drivrutiner har inaktiverats i din\nSYSTEM.INI-fil för att undvika konflikter med Halvorn+:\n\n%s\n\nEn säkerhetskopia av din ursprungliga SYSTEM.INI-fil har sparats som:\n%s\n", ""},
        {},
        {"Los siguientes controladores se han desactivado en el\narchivo SYSTEM.INI para evitar conflictos con Halvorn+:\n\n%s\n\nSe ha guardado una copia de seguridad del archivo SYSTEM.INI original como:\n%s\n", "Nota"},
        {"I seguenti driver sono stati disattivati nel file\nSYSTEM.INI per evitare conflitti con Halvorn+:\n\n%s\n\nUna copia di backup del file SYSTEM.INI originale è stata salvata come:\n%s\n", "Nota"},
        {"Os seguintes controladores foram desactivados no ficheiro\nSYSTEM.INI para evitar conflitos com o Halvorn+:\n\n%s\n\nFoi guardada uma cópia de segurança do ficheiro SYSTEM.INI original como:\n%s\n", "Nota"},
    }},
    {ENTRY(MSG_GROUP_EXISTS), 2, {
        {"The group name you have selected already exists.\n\nIf you wish to use that name anyway,\n1. Any existing Halvorn+ program items will be over written.\n2. Uninstalling Halvorn+ will delete ALL program items.\nAre you sure you wish to use that group name?", "Warning"},
        {"Der ausgewählte Gruppenname ist bereits vorhanden.\n\nWenn Sie diesen Namen trotzdem verwenden,\n1. werden vorhandene Programmelemente von Halvorn+ überschrieben,\n2. werden beim Deinstallieren von Halvorn+ ALLE Programmelemente gelöscht.\nMöchten Sie diesen Gruppennamen wirklich verwenden?", "Warnung"},
        {"Le nom de groupe sélectionné existe déjà.\n\nSi vous utilisez quand même ce nom :\n1. Les éléments de programme existants de Halvorn+ seront remplacés.\n2. La désinstallation de Halvorn+ supprimera TOUS les éléments de programme.\nVoulez-vous vraiment utiliser ce nom de groupe ?", "Avertissement"},
        {"Det valda gruppnamnet finns redan.\n\nOm du ändå vill använda namnet gäller följande:\n1. Befintliga programobjekt för Halvorn+ skrivs över.\n2. När Halvorn+ avinstalleras tas ALLA programobjekt bort.\nVill du verkligen använda det gruppnamnet?", "Varning"},
        {},
        {"El nombre de grupo seleccionado ya existe.\n\nSi desea utilizar ese nombre de todos modos:\n1. Se sobrescribirán los elementos de programa de Halvorn+ existentes.\n2. Al desinstalar Halvorn+ se eliminarán TODOS los elementos de programa.\n¿Está seguro de que desea utilizar ese nombre de grupo?", "Advertencia"},
        {"Il nome di gruppo selezionato esiste già.\n\nSe si desidera utilizzarlo comunque:\n1. Gli elementi di programma di Halvorn+ esistenti verranno sovrascritti.\n2. La disinstallazione di Halvorn+ eliminerà TUTTI gli elementi di programma.\nUtilizzare davvero questo nome di gruppo?", "Avviso"},
        {"O nome de grupo seleccionado já existe.\n\nSe pretender utilizar esse nome mesmo assim:\n1. Os itens de programa existentes do Halvorn+ serão substituídos.\n2. A desinstalação do Halvorn+ eliminará TODOS os itens de programa.\nTem a certeza de que pretende utilizar esse nome de grupo?", "Aviso"},
    }},
    {ENTRY(MSG_GROUP_LABELS), 2, {
        {"Group to Use", "Current Groups (double click to select)"},
        {"Zu verwendende Gruppe", "Vorhandene Gruppen (zum Auswählen doppelklicken)"},
        {"Groupe à utiliser", "Groupes existants (double-cliquez pour sélectionner)"},
        {"Grupp som ska användas", "Befintliga grupper (dubbelklicka för att välja)"},
        {},
        {"Grupo que se utilizará", "Grupos existentes (doble clic para seleccionar)"},
        {"Gruppo da utilizzare", "Gruppi esistenti (doppio clic per selezionare)"},
        {"Grupo a utilizar", "Grupos existentes (duplo clique para seleccionar)"},
    }},
    {ENTRY(MSG_INSTALL_COMPLETE), 2, {
        {"Setup has completed successfully.", "Install Complete"},
        {"Die Installation wurde erfolgreich abgeschlossen.", "Installation abgeschlossen"},
        {"L'installation s'est terminée avec succès.", "Installation terminée"},
        {"Installationen har slutförts.", "Installationen är klar"},
        {},
        {"La instalación ha finalizado correctamente.", "Instalación finalizada"},
        {"Installazione completata correttamente.", "Installazione completata"},
        {"A instalação foi concluída com êxito.", "Instalação concluída"},
    }},
    {ENTRY(MSG_INSTALL_FAILED), 2, {
        {"There was an error attempting to install.", "Exiting Install"},
        {"Bei der Installation ist ein Fehler aufgetreten.", "Installation wird beendet"},
        {"Une erreur s'est produite pendant l'installation.", "Fin de l'installation"},
        {"Ett fel uppstod vid installationen.", "Installationen avslutas"},
        {},
        {"Se produjo un error al intentar instalar.", "Saliendo de la instalación"},
        {"Si è verificato un errore durante l'installazione.", "Uscita dall'installazione"},
        {"Ocorreu um erro ao tentar instalar.", "A sair da instalação"},
    }},
    {ENTRY(MSG_INSTALL_CANCELLED), 2, {
        {"Setup canceled by user.", "Exiting Install"},
        {"Die Installation wurde vom Benutzer abgebrochen.", "Installation wird beendet"},
        {"Installation annulée par l'utilisateur.", "Fin de l'installation"},
        {"Installationen avbröts av användaren.", "Installationen avslutas"},
        {},
        {"Instalación cancelada por el usuario.", "Saliendo de la instalación"},
        {"Installazione annullata dall'utente.", "Uscita dall'installazione"},
        {"Instalação cancelada pelo utilizador.", "A sair da instalação"},
    }},
    {ENTRY(MSG_INSTALL_COMPLETE_RESTART), 2, {
        {"Setup has completed successfully.\n\nChanges have also been made to your configuration.\nSetup will restart your system for these changes to take effect.", "Installation Complete"},
        {"Die Installation wurde erfolgreich abgeschlossen.\n\nAußerdem wurde Ihre Konfiguration geändert.\nSetup startet Ihr System jetzt neu, damit die Änderungen wirksam werden.", "Installation abgeschlossen"},
        {"L'installation s'est terminée avec succès.\n\nVotre configuration a également été modifiée.\nLe système va redémarrer pour que ces modifications prennent effet.", "Installation terminée"},
        {"Installationen har slutförts.\n\nÄndringar har även gjorts i din konfiguration.\nDatorn startas om så att ändringarna börjar gälla.", "Installationen är klar"},
        {},
        {"La instalación ha finalizado correctamente.\n\nTambién se han realizado cambios en la configuración.\nEl sistema se reiniciará para que los cambios surtan efecto.", "Instalación finalizada"},
        {"Installazione completata correttamente.\n\nSono state apportate modifiche anche alla configurazione.\nIl sistema verrà riavviato per rendere effettive le modifiche.", "Installazione completata"},
        {"A instalação foi concluída com êxito.\n\nTambém foram efectuadas alterações à configuração.\nO sistema vai ser reiniciado para que as alterações tenham efeito.", "Instalação concluída"},
    }},
    {ENTRY(MSG_UNINSTALL_COMPLETE), 2, {
        {"UnInstall has completed successfully.", "UnInstall Complete"},
        {"Die Deinstallation wurde erfolgreich abgeschlossen.", "Deinstallation abgeschlossen"},
        {"La désinstallation s'est terminée avec succès.", "Désinstallation terminée"},
        {"Avinstallationen har slutförts.", "Avinstallationen är klar"},
        {},
        {"La desinstalación ha finalizado correctamente.", "Desinstalación finalizada"},
        {"Disinstallazione completata correttamente.", "Disinstallazione completata"},
        {"A desinstalação foi concluída com êxito.", "Desinstalação concluída"},
    }},
    {ENTRY(MSG_UNINSTALL_FAILED), 2, {
        {"There was an error attempting to uninstall.", "Exiting UnInstall"},
        {"Bei der Deinstallation ist ein Fehler aufgetreten.", "Deinstallation wird beendet"},
        {"Une erreur s'est produite pendant la désinstallation.", "Fin de la désinstallation"},
        {"Ett fel uppstod vid avinstallationen.", "Avinstallationen avslutas"},
        {},
        {"Se produjo un error al intentar desinstalar.", "Saliendo de la desinstalación"},
        {"Si è verificato un errore durante la disinstallazione.", "Uscita dalla disinstallazione"},
        {"Ocorreu um erro ao tentar desinstalar.", "A sair da desinstalação"},
    }},
    {ENTRY(MSG_UNINSTALL_CANCELLED), 2, {
        {"No UnInstall was performed.", "UnInstall Canceled"},
        {"Es wurde keine Deinstallation durchgeführt.", "Deinstallation abgebrochen"},
        {"Aucune désinstallation n'a été effectuée.", "Désinstallation annulée"},
        {"Ingen avinstallation utfördes.", "Avinstallationen avbröts"},
        {},
        {"No se realizó ninguna desinstalación.", "Desinstalación cancelada"},
        {"Nessuna disinstallazione eseguita.", "Disinstallazione annullata"},
        {"Não foi efectuada nenhuma desinstalação.", "Desinstalação cancelada"},
    }},
    {ENTRY(MSG_WRITE_ERROR), 2, {
        {"There was an error writing a file.\n%s", "Program error"},
        {"Beim Schreiben einer Datei ist ein Fehler aufgetreten.\n%s", "Programmfehler"},
        {"Une erreur s'est produite lors de l'écriture d'un fichier.\n%s", "Erreur du programme"},
        {"Ett fel uppstod när en fil skulle skrivas.\n%s", "Programfel"},
        {},
        {"Se produjo un error al escribir un archivo.\n%s", "Error del programa"},
        {"Si è verificato un errore durante la scrittura di un file.\n%s", "Errore del programma"},
        {"Ocorreu um erro ao escrever um ficheiro.\n%s", "Erro do programa"},
    }},
    {ENTRY(MSG_READ_ERROR), 2, {
        {"There was an error reading a file.\n%s", "Program error"},
        {"Beim Lesen einer Datei ist ein Fehler aufgetreten.\n%s", "Programmfehler"},
        {"Une erreur s'est produite lors de la lecture d'un fichier.\n%s", "Erreur du programme"},
        {"Ett fel uppstod när en fil skulle läsas.\n%s", "Programfel"},
        {},
        {"Se produjo un error al leer un archivo.\n%s", "Error del programa"},
        {"Si è verificato un errore durante la lettura di un file.\n%s", "Errore del programma"},
        {"Ocorreu um erro ao ler um ficheiro.\n%s", "Erro do programa"},
    }},
    // Member 0 in install mode, member 1 in restart mode; filled with the
    // product name, the version and the platform text, in this order.
    {ENTRY(MSG_BACKGROUND_TITLE), 2, {
        {"Setup %s %s for Windows %s", "Uninstall %s %s for Windows %s"},
        {"%s %s für Windows %s installieren", "%s %s für Windows %s deinstallieren"},
        {"Installation de %s %s pour Windows %s", "Désinstallation de %s %s pour Windows %s"},
        {"Installation av %s %s för Windows %s", "Avinstallation av %s %s för Windows %s"},
        {},
        {"Instalación de %s %s para Windows %s", "Desinstalación de %s %s para Windows %s"},
        {"Installazione di %s %s per Windows %s", "Disinstallazione di %s %s per Windows %s"},
        {"Instalação do %s %s para Windows %s", "Desinstalação do %s %s para Windows %s"},
    }},
    {ENTRY(MSG_CONTINUE_AFTER_ERROR), 2, {
        {"Since there was an error in file transfer,\ndo you still wish to continue install?", "Continue Installing?"},
        {"Bei der Dateiübertragung ist ein Fehler aufgetreten.\nMöchten Sie die Installation trotzdem fortsetzen?", "Installation fortsetzen?"},
        {"Une erreur s'est produite lors du transfert des fichiers.\nVoulez-vous quand même poursuivre l'installation ?", "Poursuivre l'installation ?"},
        {"Ett fel uppstod vid filöverföringen.\nVill du fortsätta installationen ändå?", "Fortsätta installationen?"},
        {},
        {"Se produjo un error en la transferencia de archivos.\n¿Desea continuar con la instalación de todos modos?", "¿Continuar la instalación?"},
        {"Si è verificato un errore durante il trasferimento dei file.\nContinuare comunque l'installazione?", "Continuare l'installazione?"},
        {"Ocorreu um erro na transferência de ficheiros.\nPretende continuar a instalação mesmo assim?", "Continuar a instalação?"},
    }},
    {ENTRY(MSG_INSERT_DISK), 2, {
        {"Please insert disk #%d", "Next Diskette Needed"},
        {"Legen Sie Diskette #%d ein", "Nächste Diskette erforderlich"},
        {"Insérez la disquette n° %d", "Disquette suivante requise"},
        {"Sätt i diskett nr %d", "Nästa diskett behövs"},
        {},
        {"Inserte el disquete n.º %d", "Se necesita el siguiente disquete"},
        {"Inserire il dischetto n. %d", "Dischetto successivo richiesto"},
        {"Introduza a disquete n.º %d", "Disquete seguinte necessária"},
    }},
    {ENTRY(MSG_DISK_ERROR), 2, {
        {"Disk error or wrong disk inserted.\nDo you want to try again?", "Disk Error"},
        {"Datenträgerfehler oder falsche Diskette eingelegt.\nMöchten Sie es erneut versuchen?", "Datenträgerfehler"},
        {"Erreur de disque ou mauvaise disquette insérée.\nVoulez-vous réessayer ?", "Erreur de disque"},
        {"Diskfel eller fel diskett isatt.\nVill du försöka igen?", "Diskfel"},
        {},
        {"Error de disco o disquete incorrecto.\n¿Desea volver a intentarlo?", "Error de disco"},
        {"Errore del disco o dischetto errato.\nRiprovare?", "Errore del disco"},
        {"Erro de disco ou disquete errada.\nPretende tentar novamente?", "Erro de disco"},
    }},
    {ENTRY(MSG_VIEW_README), 1, {
        {"Would you like to view README.TXT now?"},
        {"Möchten Sie die Datei README.TXT jetzt anzeigen?"},
        {"Voulez-vous afficher le fichier README.TXT maintenant ?"},
        {"Vill du visa README.TXT nu?"},
        {},
        {"¿Desea ver el archivo README.TXT ahora?"},
        {"Visualizzare ora il file README.TXT?"},
        {"Pretende ver o ficheiro README.TXT agora?"},
    }},
    {ENTRY(MSG_RESTART_FAILED), 2, {
        {"The attempt to restart your system was unsucessful.\nPlease click on 'Start' and then 'Shutdown'.\n", "Unsuccessful Restart"},
        {"Das System konnte nicht neu gestartet werden.\nKlicken Sie auf 'Start' und dann auf 'Beenden'.\n", "Neustart fehlgeschlagen"},
        {"La tentative de redémarrage du système a échoué.\nCliquez sur 'Démarrer' puis sur 'Arrêter'.\n", "Échec du redémarrage"},
        {"Det gick inte att starta om datorn.\nKlicka på 'Start' och sedan på 'Avsluta'.\n", "Omstarten misslyckades"},
        {},
        {"No se pudo reiniciar el sistema.\nHaga clic en 'Inicio' y después en 'Apagar el sistema'.\n", "Error al reiniciar"},
        {"Impossibile riavviare il sistema.\nFare clic su 'Avvio' e quindi su 'Chiudi sessione'.\n", "Riavvio non riuscito"},
        {"Não foi possível reiniciar o sistema.\nClique em 'Iniciar' e depois em 'Encerrar'.\n", "Falha ao reiniciar"},
    }},
    // Also the default install folder and program group name: no characters
    // that a path or a group name cannot hold.
    {ENTRY(MSG_DEFAULT_FOLDER), 1, {
        {"Halvorn+ for Windows 95"},
        {"Halvorn+ für Windows 95"},
        {"Halvorn+ pour Windows 95"},
        {"Halvorn+ för Windows 95"},
        {},
        {"Halvorn+ para Windows 95"},
        {"Halvorn+ per Windows 95"},
        {"Halvorn+ para Windows 95"},
    }},
    {ENTRY(MSG_WELCOME), 1, {
        {"\nWelcome to Halvorn+ Setup for Windows 95!\n\nThis installation requires about 10MB of disk space.\n\nPlease choose your installation directory,\nthen press ENTER or click on OK"},
        {"\nWillkommen bei Halvorn+ Setup für Windows 95!\n\nDie Installation benötigt etwa 10 MB Speicherplatz.\n\nWählen Sie das Installationsverzeichnis aus,\nund drücken Sie dann die EINGABETASTE, oder klicken Sie auf OK"},
        {"\nBienvenue dans l'installation de Halvorn+ pour Windows 95 !\n\nCette installation nécessite environ 10 Mo d'espace disque.\n\nChoisissez le répertoire d'installation,\npuis appuyez sur ENTRÉE ou cliquez sur OK"},
        {"\nVälkommen till installationen av Halvorn+ för Windows 95!\n\nInstallationen kräver cirka 10 MB diskutrymme.\n\nVälj installationskatalog\noch tryck sedan på RETUR eller klicka på OK"},
        {},
        {"\n¡Bienvenido a la instalación de Halvorn+ para Windows 95!\n\nEsta instalación necesita unos 10 MB de espacio en disco.\n\nElija el directorio de instalación\ny presione ENTRAR o haga clic en Aceptar"},
        {"\nBenvenuti all'installazione di Halvorn+ per Windows 95!\n\nL'installazione richiede circa 10 MB di spazio su disco.\n\nScegliere la directory di installazione,\nquindi premere INVIO o fare clic su OK"},
        {"\nBem-vindo à instalação do Halvorn+ para Windows 95!\n\nEsta instalação necessita de cerca de 10 MB de espaço em disco.\n\nEscolha o directório de instalação\ne prima ENTER ou clique em OK"},
    }},
    {ENTRY(MSG_INIT_FILE_ERROR), 2, {
        {"There was an error initializing a file.\n%s", "Program error"},
        {"Beim Initialisieren einer Datei ist ein Fehler aufgetreten.\n%s", "Programmfehler"},
        {"Une erreur s'est produite lors de l'initialisation d'un fichier.\n%s", "Erreur du programme"},
        {"Ett fel uppstod när en fil skulle initieras.\n%s", "Programfel"},
        {},
        {"Se produjo un error al inicializar un archivo.\n%s", "Error del programa"},
        {"Si è verificato un errore durante l'inizializzazione di un file.\n%s", "Errore del programma"},
        {"Ocorreu um erro ao inicializar um ficheiro.\n%s", "Erro do programa"},
    }},
    {ENTRY(MSG_UNINSTALL_KEY_FAILED), 2, {
        {"Open / Create Uninstall entry key failed", "Note"},
        {"Öffnen/Erstellen des Deinstallationsschlüssels fehlgeschlagen", "Hinweis"},
        {"Échec de l'ouverture ou de la création de la clé de désinstallation", "Remarque"},
        {"Det gick inte att öppna eller skapa avinstallationsnyckeln", "Obs!"},
        {},
        {"Error al abrir o crear la clave de desinstalación", "Nota"},
        {"Impossibile aprire o creare la chiave di disinstallazione", "Nota"},
        {"Falha ao abrir ou criar a chave de desinstalação", "Nota"},
    }},
    {ENTRY(MSG_ADMIN_REQUIRED), 2, {
        {"This software requires that you have logged in as\nADMINISTRATOR or equivalent.", "Exiting Setup"},
        {"Für diese Software müssen Sie als ADMINISTRATOR\noder mit gleichwertigen Rechten angemeldet sein.", "Setup wird beendet"},
        {"Ce logiciel exige une ouverture de session en tant\nqu'ADMINISTRATEUR ou équivalent.", "Fin de l'installation"},
        {"Programvaran kräver att du är inloggad som\nADMINISTRATÖR eller motsvarande.", "Installationen avslutas"},
        {},
        {"Este software requiere que haya iniciado la sesión como\nADMINISTRADOR o equivalente.", "Saliendo de la instalación"},
        {"Questo software richiede l'accesso come\nAMMINISTRATORE o utente equivalente.", "Uscita dall'installazione"},
        {"Este software requer que tenha iniciado sessão como\nADMINISTRADOR ou equivalente.", "A sair da instalação"},
    }},
    {ENTRY(MSG_DISABLE_QIC117), 2, {
        {"Setup must disable your qic117 tape driver to avoid conflicts with its own driver. No files will be deleted in the process.", "System Check"},
        {"Setup muß Ihren Bandlaufwerktreiber qic117 deaktivieren, um Konflikte mit dem eigenen Treiber zu vermeiden. Dabei werden keine Dateien gelöscht.", "Systemprüfung"},
        {"L'installation doit désactiver votre pilote de bande qic117 pour éviter des conflits avec son propre pilote. Aucun fichier ne sera supprimé.", "Vérification du système"},
        {"Installationsprogrammet måste inaktivera bandstationsdrivrutinen qic117 för att undvika konflikter med sin egen drivrutin. Inga filer tas bort.", "Systemkontroll"},
        {},
        {"El programa de instalación debe desactivar el controlador de cinta qic117 para evitar conflictos con su propio controlador. No se eliminará ningún archivo.", "Comprobación del sistema"},
        {"Il programma di installazione deve disattivare il driver per nastro qic117 per evitare conflitti con il proprio driver. Non verrà eliminato alcun file.", "Verifica del sistema"},
        {"O programa de instalação tem de desactivar o controlador de banda qic117 para evitar conflitos com o seu próprio controlador. Nenhum ficheiro será eliminado.", "Verificação do sistema"},
    }},
    {ENTRY(MSG_QIC117_STILL_ENABLED), 2, {
        {"Setup must exit because your qic117 tape driver is still enabled.", "Exiting"},
        {"Setup muß beendet werden, weil Ihr Bandlaufwerktreiber qic117 noch aktiviert ist.", "Setup wird beendet"},
        {"L'installation doit s'arrêter car votre pilote de bande qic117 est toujours activé.", "Fermeture"},
        {"Installationsprogrammet måste avslutas eftersom bandstationsdrivrutinen qic117 fortfarande är aktiverad.", "Avslutar"},
        {},
        {"El programa de instalación debe cerrarse porque el controlador de cinta qic117 sigue activado.", "Saliendo"},
        {"Il programma di installazione deve terminare perché il driver per nastro qic117 è ancora attivo.", "Uscita"},
        {"O programa de instalação tem de terminar porque o controlador de banda qic117 ainda está activado.", "A sair"},
    }},
    // OK, Cancel, Yes, No, Agree, Browse, Default.
    {ENTRY(MSG_BUTTON_LABELS), 7, {
        {"&OK", "&Cancel", "&Yes", "&No", "&Agree", "&Browse", "&Default"},
        {"&OK", "&Abbrechen", "&Ja", "&Nein", "&Zustimmen", "&Durchsuchen", "&Standard"},
        {"&OK", "&Annuler", "O&ui", "&Non", "A&ccepter", "&Parcourir", "Par &défaut"},
        {"&OK", "&Avbryt", "&Ja", "&Nej", "&Godkänn", "&Bläddra", "&Standard"},
        {},
        {"&Aceptar", "&Cancelar", "&Sí", "&No", "&De acuerdo", "&Examinar", "&Restablecer"},
        {"&OK", "&Annulla", "&Sì", "&No", "A&ccetto", "S&foglia", "&Predefinito"},
        {"&OK", "&Cancelar", "&Sim", "&Não", "&Aceito", "&Procurar", "Pre&definido"},
    }},
    // The fifth step exists in English only.
    {ENTRY(MSG_UNINSTALL_STEPS), 5, {
        {"Remove Registry Accounts", "Remove Program Group", "Remove Program Files", "Check System Files", "Flush the Toilet"},
        {"Registrierungseinträge entfernen", "Programmgruppe entfernen", "Programmdateien entfernen", "Systemdateien prüfen", ""},
        {"Supprimer les entrées du Registre", "Supprimer le groupe", "Supprimer les fichiers programme", "Vérifier les fichiers système", ""},
        {"Ta bort registerposter", "Ta bort programgrupp", "Ta bort programfiler", "Kontrollera systemfiler", ""},
        {nullptr, nullptr, nullptr, nullptr, ""},
        {"Eliminar entradas del Registro", "Eliminar grupo de programas", "Eliminar archivos de programa", "Comprobar archivos del sistema", ""},
        {"Rimuovi voci del Registro", "Rimuovi gruppo di programmi", "Rimuovi file di programma", "Controlla file di sistema", ""},
        {"Remover entradas do registo", "Remover grupo de programas", "Remover ficheiros do programa", "Verificar ficheiros do sistema", ""},
    }},
    {ENTRY(MSG_COPY_LABELS), 3, {
        {"File Copy", "Current:", "Total:"},
        {"Dateien kopieren", "Aktuell:", "Gesamt:"},
        {"Copie des fichiers", "Fichier :", "Total :"},
        {"Filkopiering", "Aktuell:", "Totalt:"},
        {},
        {"Copia de archivos", "Actual:", "Total:"},
        {"Copia dei file", "Corrente:", "Totale:"},
        {"Cópia de ficheiros", "Actual:", "Total:"},
    }},
    {ENTRY(MSG_UNINSTALL_OPTION_LABELS), 3, {
        {"File Uninstall Option", "Selective - Removes only files installed", "Complete - Removes '%s'"},
        {"Deinstallationsoption für Dateien", "Selektiv - Entfernt nur installierte Dateien", "Vollständig - Entfernt '%s'"},
        {"Option de désinstallation des fichiers", "Sélective - Supprime uniquement les fichiers installés", "Complète - Efface '%s'"},
        {"Alternativ för avinstallation av filer", "Selektiv - Tar bara bort installerade filer", "Fullständig - Tar bort '%s'"},
        {},
        {"Opción de desinstalación de archivos", "Selectiva - Elimina solo los archivos instalados", "Completa - Elimina '%s'"},
        {"Opzione di disinstallazione dei file", "Selettiva - Rimuove solo i file installati", "Completa - Rimuove '%s'"},
        {"Opção de desinstalação de ficheiros", "Selectiva - Remove apenas os ficheiros instalados", "Completa - Remove '%s'"},
    }},
    // The second text is appended to the first on Windows NT only.
    {ENTRY(MSG_UNINSTALL_KEY_OPEN_FAILED), 3, {
        {"Open Uninstall/Dastrel registry key failed.\n", "Your login may not have access to this uninstall.", "Note"},
        {"Der Registrierungsschlüssel Uninstall/Dastrel konnte nicht geöffnet werden.\n", "Ihre Anmeldung hat möglicherweise keinen Zugriff auf diese Deinstallation.", "Hinweis"},
        {"Impossible d'ouvrir la clé de Registre Uninstall/Dastrel.\n", "Votre session n'a peut-être pas accès à cette désinstallation.", "Remarque"},
        {"Det gick inte att öppna registernyckeln Uninstall/Dastrel.\n", "Din inloggning kanske inte har åtkomst till den här avinstallationen.", "Obs!"},
        {},
        {"Error al abrir la clave del Registro Uninstall/Dastrel.\n", "Es posible que su sesión no tenga acceso a esta desinstalación.", "Nota"},
        {"Impossibile aprire la chiave del Registro Uninstall/Dastrel.\n", "L'account utilizzato potrebbe non avere accesso a questa disinstallazione.", "Nota"},
        {"Falha ao abrir a chave de registo Uninstall/Dastrel.\n", "A sua sessão pode não ter acesso a esta desinstalação.", "Nota"},
    }},
    // A group name no Program Manager command can carry safely (a double
    // quote, a control character, a character no folder name may hold, or
    // dots and blanks only); the program group dialog stays open.
    {ENTRY(MSG_GROUP_NAME_REFUSED), 2, {
        {"This group name cannot be used.\n\nA group name may not contain double quotes, control characters or any of the characters \\ / : * ? < > |, and may not consist of dots and blanks only.\n\nPlease choose another name.", "Invalid Group Name"},
        {"Dieser Gruppenname kann nicht verwendet werden.\n\nEin Gruppenname darf keine Anführungszeichen, keine Steuerzeichen und keines der Zeichen \\ / : * ? < > | enthalten und nicht nur aus Punkten und Leerzeichen bestehen.\n\nBitte wählen Sie einen anderen Namen.", "Ungültiger Gruppenname"},
        {"Ce nom de groupe ne peut pas être utilisé.\n\nUn nom de groupe ne peut contenir ni guillemets, ni caractères de contrôle, ni aucun des caractères \\ / : * ? < > |, et ne peut pas se composer uniquement de points et d'espaces.\n\nVeuillez choisir un autre nom.", "Nom de groupe non valide"},
        {"Gruppnamnet kan inte användas.\n\nEtt gruppnamn får inte innehålla citattecken, styrtecken eller något av tecknen \\ / : * ? < > | och får inte bestå av enbart punkter och blanksteg.\n\nVälj ett annat namn.", "Ogiltigt gruppnamn"},
        {},
        {"No se puede utilizar este nombre de grupo.\n\nUn nombre de grupo no puede contener comillas, caracteres de control ni ninguno de los caracteres \\ / : * ? < > |, ni estar formado solo por puntos y espacios.\n\nElija otro nombre.", "Nombre de grupo no válido"},
        {"Impossibile utilizzare questo nome di gruppo.\n\nUn nome di gruppo non può contenere virgolette, caratteri di controllo o uno dei caratteri \\ / : * ? < > |, né essere composto solo da punti e spazi.\n\nScegliere un altro nome.", "Nome di gruppo non valido"},
        {"Não é possível utilizar este nome de grupo.\n\nUm nome de grupo não pode conter aspas, caracteres de controlo nem nenhum dos caracteres \\ / : * ? < > |, nem ser composto apenas por pontos e espaços.\n\nEscolha outro nome.", "Nome de grupo inválido"},
    }},
    // Added: the uninstaller's complete removal deletes the install
    // directory's whole tree, so a directory holding more than the product
    // is refused.
    {ENTRY(MSG_DIRECTORY_NOT_ALLOWED), 2, {
        {"Halvorn+ cannot be installed in %s: a drive's root directory, the Windows directory, the directories above it and every directory inside it, and the program files directory itself hold more than Halvorn+, and uninstalling Halvorn+ can remove its whole directory.\n\nPlease choose a directory of its own, such as a new directory inside the program files directory.", "Directory Not Allowed"},
        {"Halvorn+ kann nicht in %s installiert werden: Das Stammverzeichnis eines Laufwerks, das Windows-Verzeichnis, die Verzeichnisse darüber und jedes Verzeichnis darin sowie das Programmverzeichnis selbst enthalten mehr als Halvorn+, und die Deinstallation von Halvorn+ kann sein ganzes Verzeichnis entfernen.\n\nWählen Sie bitte ein eigenes Verzeichnis, zum Beispiel ein neues Verzeichnis im Programmverzeichnis.", "Verzeichnis nicht zulässig"},
        {"Halvorn+ ne peut pas être installé dans %s : le répertoire racine d'un lecteur, le répertoire de Windows, les répertoires qui le contiennent et tous ceux qu'il contient, ainsi que le répertoire des programmes lui-même, contiennent plus que Halvorn+, et la désinstallation de Halvorn+ peut supprimer tout son répertoire.\n\nVeuillez choisir un répertoire qui lui soit propre, par exemple un nouveau répertoire dans le répertoire des programmes.", "Répertoire non autorisé"},
        {"Halvorn+ kan inte installeras i %s: en enhets rotkatalog, Windows-katalogen, katalogerna ovanför den och alla kataloger i den samt själva programkatalogen innehåller mer än Halvorn+, och avinstallationen av Halvorn+ kan ta bort hela dess katalog.\n\nVälj en egen katalog, till exempel en ny katalog i programkatalogen.", "Katalogen är inte tillåten"},
        {},
        {"Halvorn+ no se puede instalar en %s: el directorio raíz de una unidad, el directorio de Windows, los directorios que lo contienen y todos los que contiene, y el propio directorio de programas contienen más que Halvorn+, y al desinstalar Halvorn+ se puede eliminar todo su directorio.\n\nElija un directorio propio, por ejemplo un directorio nuevo dentro del directorio de programas.", "Directorio no permitido"},
        {"Impossibile installare Halvorn+ in %s: la directory principale di un'unità, la directory di Windows, le directory che la contengono e tutte quelle che contiene e la directory dei programmi stessa contengono più di Halvorn+, e la disinstallazione di Halvorn+ può rimuovere l'intera directory.\n\nScegliere una directory dedicata, ad esempio una nuova directory all'interno della directory dei programmi.", "Directory non consentita"},
        {"Não é possível instalar o Halvorn+ em %s: o directório raiz de uma unidade, o directório do Windows, os directórios acima dele e todos os directórios dentro dele, e o próprio directório de programas contêm mais do que o Halvorn+, e a desinstalação do Halvorn+ pode remover todo o seu directório.\n\nEscolha um directório próprio, por exemplo um novo directório dentro do directório de programas.", "Directório não permitido"},
    }},
    // Added: the option dialog refuses Complete for an install directory
    // that this installation did not create, or whose whole tree holds more
    // than the product; it stays open.
    {ENTRY(MSG_COMPLETE_REMOVAL_REFUSED), 2, {
        {"Halvorn+ is installed in a directory that holds more than Halvorn+: a directory that was there before Halvorn+ was installed, a drive's root directory, the Windows directory, a directory above it or inside it, or the program files directory itself.\n\nComplete removal would delete all of it. Please choose Selective to remove only the files Halvorn+ installed.", "Complete Removal Not Possible"},
        {"Halvorn+ ist in einem Verzeichnis installiert, das mehr als Halvorn+ enthält: ein Verzeichnis, das schon vor der Installation von Halvorn+ bestand, das Stammverzeichnis eines Laufwerks, das Windows-Verzeichnis, ein Verzeichnis darüber oder darin oder das Programmverzeichnis selbst.\n\nDie vollständige Deinstallation würde alles davon löschen. Wählen Sie bitte Selektiv, um nur die von Halvorn+ installierten Dateien zu entfernen.", "Vollständige Deinstallation nicht möglich"},
        {"Halvorn+ est installé dans un répertoire qui contient plus que Halvorn+ : un répertoire qui existait avant l'installation de Halvorn+, le répertoire racine d'un lecteur, le répertoire de Windows, un répertoire qui le contient ou qu'il contient, ou le répertoire des programmes lui-même.\n\nLa désinstallation complète supprimerait tout son contenu. Veuillez choisir Sélective pour ne supprimer que les fichiers installés par Halvorn+.", "Désinstallation complète impossible"},
        {"Halvorn+ är installerat i en katalog som innehåller mer än Halvorn+: en katalog som fanns innan Halvorn+ installerades, en enhets rotkatalog, Windows-katalogen, en katalog ovanför den eller i den, eller själva programkatalogen.\n\nFullständig avinstallation skulle ta bort allt detta. Välj Selektiv för att bara ta bort de filer som Halvorn+ installerade.", "Fullständig avinstallation inte möjlig"},
        {},
        {"Halvorn+ está instalado en un directorio que contiene más que Halvorn+: un directorio que ya existía antes de instalar Halvorn+, el directorio raíz de una unidad, el directorio de Windows, un directorio que lo contiene o que está dentro de él, o el propio directorio de programas.\n\nLa desinstalación completa lo eliminaría todo. Elija Selectiva para eliminar solo los archivos que instaló Halvorn+.", "Desinstalación completa no posible"},
        {"Halvorn+ è installato in una directory che contiene più di Halvorn+: una directory che esisteva prima dell'installazione di Halvorn+, la directory principale di un'unità, la directory di Windows, una directory che la contiene o che vi è contenuta, o la directory dei programmi stessa.\n\nLa disinstallazione completa eliminerebbe tutto. Scegliere Selettiva per rimuovere solo i file installati da Halvorn+.", "Disinstallazione completa non possibile"},
        {"O Halvorn+ está instalado num directório que contém mais do que o Halvorn+: um directório que já existia antes da instalação do Halvorn+, o directório raiz de uma unidade, o directório do Windows, um directório acima dele ou dentro dele, ou o próprio directório de programas.\n\nA desinstalação completa eliminaria tudo isso. Escolha Selectiva para remover apenas os ficheiros instalados pelo Halvorn+.", "Desinstalação completa não possível"},
    }},
    // Added: a text that cannot be a directory name at all; %s is the
    // directory as it was taken.
    {ENTRY(MSG_DIRECTORY_NAME_REFUSED), 2, {
        {"%s cannot be a directory name.\n\nA directory name starts with a drive letter, a colon and a backslash (C:\\TAPE), has at most 200 characters and 11 backslashes, and holds none of the characters / : * ? \" < > | after the drive. No name in it may be \".\" or \"..\", and only the last may end with a dot or a blank.", "Invalid Directory Name"},
        {"%s kann kein Verzeichnisname sein.\n\nEin Verzeichnisname beginnt mit einem Laufwerksbuchstaben, einem Doppelpunkt und einem umgekehrten Schrägstrich (C:\\TAPE), hat höchstens 200 Zeichen und 11 umgekehrte Schrägstriche und enthält nach dem Laufwerk keines der Zeichen / : * ? \" < > |. Kein Name darin darf \".\" oder \"..\" sein, und nur der letzte darf mit einem Punkt oder einem Leerzeichen enden.", "Ungültiger Verzeichnisname"},
        {"%s ne peut pas être un nom de répertoire.\n\nUn nom de répertoire commence par une lettre de lecteur, deux-points et une barre oblique inverse (C:\\TAPE), compte au plus 200 caractères et 11 barres obliques inverses, et ne contient après le lecteur aucun des caractères / : * ? \" < > |. Aucun nom ne peut y être \".\" ou \"..\", et seul le dernier peut se terminer par un point ou un espace.", "Nom de répertoire non valide"},
        {"%s kan inte vara ett katalognamn.\n\nEtt katalognamn börjar med en enhetsbokstav, ett kolon och ett omvänt snedstreck (C:\\TAPE), har högst 200 tecken och 11 omvända snedstreck och innehåller efter enheten inget av tecknen / : * ? \" < > |. Inget namn i det får vara \".\" eller \"..\", och bara det sista får sluta med en punkt eller ett blanksteg.", "Ogiltigt katalognamn"},
        {},
        {"%s no puede ser un nombre de directorio.\n\nUn nombre de directorio empieza por una letra de unidad, dos puntos y una barra inversa (C:\\TAPE), tiene como máximo 200 caracteres y 11 barras inversas, y no contiene después de la unidad ninguno de los caracteres / : * ? \" < > |. Ningún nombre puede ser \".\" o \"..\", y sólo el último puede terminar en un punto o un espacio.", "Nombre de directorio no válido"},
        {"%s non può essere un nome di directory.\n\nUn nome di directory inizia con una lettera di unità, i due punti e una barra rovesciata (C:\\TAPE), ha al massimo 200 caratteri e 11 barre rovesciate e non contiene dopo l'unità nessuno dei caratteri / : * ? \" < > |. Nessun nome può essere \".\" o \"..\", e solo l'ultimo può terminare con un punto o uno spazio.", "Nome di directory non valido"},
        {"%s não pode ser um nome de directório.\n\nUm nome de directório começa por uma letra de unidade, dois pontos e uma barra invertida (C:\\TAPE), tem no máximo 200 caracteres e 11 barras invertidas e não contém, depois da unidade, nenhum dos caracteres / : * ? \" < > |. Nenhum nome pode ser \".\" ou \"..\", e só o último pode terminar com um ponto ou um espaço.", "Nome de directório inválido"},
    }},
    // Added: "/restart" without the quoted directory of the installed
    // product; the caption is that of the uninstall failure.
    {ENTRY(MSG_RESTART_NEEDS_DIRECTORY), 2, {
        {"UnInstall needs the directory of the installed product:\n/restart \"<directory>\"", "Exiting UnInstall"},
        {"Die Deinstallation benötigt das Verzeichnis des installierten Produkts:\n/restart \"<Verzeichnis>\"", "Deinstallation wird beendet"},
        {"La désinstallation a besoin du répertoire du produit installé :\n/restart \"<répertoire>\"", "Fin de la désinstallation"},
        {"Avinstallationen behöver katalogen för den installerade produkten:\n/restart \"<katalog>\"", "Avinstallationen avslutas"},
        {},
        {"La desinstalación necesita el directorio del producto instalado:\n/restart \"<directorio>\"", "Saliendo de la desinstalación"},
        {"La disinstallazione richiede la directory del prodotto installato:\n/restart \"<directory>\"", "Uscita dalla disinstallazione"},
        {"A desinstalação necessita do directório do produto instalado:\n/restart \"<directório>\"", "A sair da desinstalação"},
    }},
    // Added: a cancelled or failed installation is taken back; the files
    // that could not be put back as they were are named, one per line.
    {ENTRY(MSG_NOT_RESTORED), 2, {
        {"Setup has taken back what the installation changed, but could not put back these files as they were before:\n\n%s", "Files Not Restored"},
        {"Setup hat die Änderungen der Installation zurückgenommen, konnte diese Dateien aber nicht so wiederherstellen, wie sie vorher waren:\n\n%s", "Dateien nicht wiederhergestellt"},
        {"Le programme d'installation a annulé les modifications de l'installation, mais n'a pas pu rétablir ces fichiers tels qu'ils étaient auparavant :\n\n%s", "Fichiers non rétablis"},
        {"Installationsprogrammet har tagit tillbaka installationens ändringar, men kunde inte återställa de här filerna som de var förut:\n\n%s", "Filer inte återställda"},
        {},
        {"El programa de instalación ha deshecho los cambios de la instalación, pero no ha podido restaurar estos archivos tal como estaban antes:\n\n%s", "Archivos no restaurados"},
        {"Il programma di installazione ha annullato le modifiche dell'installazione, ma non ha potuto ripristinare questi file com'erano prima:\n\n%s", "File non ripristinati"},
        {"O programa de instalação anulou as alterações da instalação, mas não conseguiu repor estes ficheiros como estavam antes:\n\n%s", "Ficheiros não repostos"},
    }},
};

#undef ENTRY

// The table's shape is checked when the program is built: one entry per
// identifier in identifier order, a text for every member of every slot
// (the British slot may leave a member to the English text), nothing beyond.
constexpr bool TableIsComplete() {
  if (std::size(kEntries) != static_cast<std::size_t>(MSG_COUNT)) return false;
  for (int i = 0; i < MSG_COUNT; ++i) {
    const SourceEntry& e = kEntries[i];
    if (e.id != i || e.name == nullptr) return false;
    if (e.members < 1 || e.members > kMaxMembers) return false;
    for (int lang = 0; lang < kLanguageCount; ++lang) {
      for (int m = 0; m < kMaxMembers; ++m) {
        const bool present = e.texts[lang][m] != nullptr;
        if (m >= e.members && present) return false;
        if (m < e.members && !present && lang != kBritishSlot) return false;
      }
    }
  }
  return true;
}
static_assert(TableIsComplete(), "catalog table out of step with MsgId");

}  // namespace

const SourceEntry& Source(MsgId id) { return kEntries[id]; }

const char* SourceText(MsgId id, int language, int member) {
  if (id < 0 || id >= MSG_COUNT || language < 0 || language >= kLanguageCount ||
      member < 0 || member >= kEntries[id].members) {
    return nullptr;
  }
  const char* text = kEntries[id].texts[language][member];
  if (text == nullptr && language == kBritishSlot) text = kEntries[id].texts[0][member];
  return text;
}

}  // namespace setup::catalog_texts
