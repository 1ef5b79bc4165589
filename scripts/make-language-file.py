#!/usr/bin/env python3
"""Writes the shipped data/LanguageUnicode.ini and data/StartInfoUnicode.ini.

Both are "Unicode" profile files: UTF-16LE with a byte-order mark and CRLF line ends.
Run by hand after changing a text here; the generated files are committed.
"""
import pathlib

ROOT = pathlib.Path(__file__).resolve().parent.parent
LANGUAGES = ["English", "Chinese", "German", "French", "Spanish"]

# Each language's name as written in every language (SUBMENU_n of each section).
NAMES = {
    "English": ["English", "Chinese (Simplified)", "German", "French", "Spanish"],
    "Chinese": ["英语", "简体中文", "德语", "法语", "西班牙语"],
    "German": ["Englisch", "Chinesisch (vereinfacht)", "Deutsch", "Französisch", "Spanisch"],
    "French": ["Anglais", "Chinois (simplifié)", "Allemand", "Français", "Espagnol"],
    "Spanish": ["Inglés", "Chino (simplificado)", "Alemán", "Francés", "Español"],
}

# key: English, Chinese, German, French, Spanish
TEXTS = [
    ("LANGUAGE_MENU", "Language", "语言", "Sprache", "Langue", "Idioma"),
    ("ABOUT_SYSMENU", "About", "关于", "Über", "À propos de", "Acerca de"),
    ("MY_COMPUTER", "My Computer", "我的电脑", "Arbeitsplatz", "Poste de travail", "Mi PC"),
    ("DESK_TOP", "Desktop", "桌面", "Desktop", "Bureau", "Escritorio"),
    ("MY_DOCUMENT", "My Document", "我的文档", "Eigene Dateien", "Mes documents", "Mis documentos"),
    ("IDC_STATIC_PREVIEW", "Preview: ", "预览: ", "Vorschau: ", "Aperçu : ", "Vista previa: "),
    ("IDC_STATIC_PICSINDPF", "Pics In DPF:", "DPF中的图片:", "Bilder im DPF:", "Photos du DPF :",
     "Fotos en el DPF:"),
    ("IDC_BUTTON_DRAWRECT", "Rect", "选框", "Rahmen", "Cadre", "Marco"),
    ("IDC_BUTTON_CLEARRECT", "Clear", "清除", "Löschen", "Effacer", "Quitar"),
    ("IDC_BUTTON_CHANGE_L", "RotateL", "左转", "Links", "Gauche", "Izq."),
    ("IDC_BUTTON_CHANGE", "RotateR", "右转", "Rechts", "Droite", "Der."),
    ("IDC_BUTTON_SEND", "Synchronize", "同步", "Synchronisieren", "Synchroniser", "Sincronizar"),
    ("IDC_BUTTON_SELECTALL", "All", "全选", "Alle", "Tout", "Todo"),
    ("IDC_BUTTON_DELECT", "Delete", "删除", "Löschen", "Supprimer", "Eliminar"),
    ("IDC_BUTTON_SAVE", "Save", "保存", "Speichern", "Enregistrer", "Guardar"),
    ("IDC_BUTTON_SAVEALL", "SaveAll", "全部保存", "Alle speichern", "Tout enregistrer",
     "Guardar todo"),
    ("ID_EXIT", "Exit", "退出", "Beenden", "Quitter", "Salir"),
    ("IDC_BTN_ADDTODPF", "Add", "添加", "Hinzufügen", "Ajouter", "Añadir"),
    ("IDC_STATIC_JPGQUALITY", "Jpg Quality:", "JPG质量:", "JPG-Qualität:", "Qualité JPG :",
     "Calidad JPG:"),
    ("IDC_STATIC_HIDSTATUS", "Total Pictures", "图片总数", "Bilder gesamt", "Total des photos",
     "Total de fotos"),
    ("STATUSBAR_LEFT", "Info:", "信息:", "Info:", "Info :", "Info:"),
    ("ID_EXITTIPS", "Exit", "退出", "Beenden", "Quitter", "Salir"),
    ("IDC_BUTTON_DELECTTIPS", "Delete", "删除", "Löschen", "Supprimer", "Eliminar"),
    ("IDC_BUTTON_CHANGETIPS", "Rotate Right", "向右旋转", "Nach rechts drehen",
     "Pivoter à droite", "Girar a la derecha"),
    ("IDC_BUTTON_SENDTIPS", "Synchronize", "同步", "Synchronisieren", "Synchroniser",
     "Sincronizar"),
    ("IDC_BUTTON_ZOOMINTIPS", "Zoom In", "放大", "Vergrößern", "Zoom avant", "Acercar"),
    ("IDC_BUTTON_ZOOMOUTTIPS", "Zoom Out", "缩小", "Verkleinern", "Zoom arrière", "Alejar"),
    ("IDC_BUTTON_UPPERTIPS", "Move Up", "上移", "Nach oben", "Monter", "Subir"),
    ("IDC_BUTTON_DOWNWARDTIPS", "Move Down", "下移", "Nach unten", "Descendre", "Bajar"),
    ("IDC_BUTTON_DRAWRECTTIPS", "Draw Rect", "画选框", "Rahmen zeichnen", "Tracer le cadre",
     "Dibujar marco"),
    ("IDC_BUTTON_CLEARRECTTIPS", "Clear Rect", "清除选框", "Rahmen entfernen", "Effacer le cadre",
     "Quitar marco"),
    ("IDC_BTN_ADDTODPFTIPS", "Add Photo", "添加照片", "Foto hinzufügen", "Ajouter la photo",
     "Añadir foto"),
    ("IDC_BUTTON_CHANGE_LTIPS", "Rotate Left", "向左旋转", "Nach links drehen",
     "Pivoter à gauche", "Girar a la izquierda"),
    ("IDC_BUTTON_SAVETIPS", "Save As", "另存为", "Speichern unter", "Enregistrer sous",
     "Guardar como"),
    ("IDC_BUTTON_SAVEALLTIPS", "Save all", "全部保存", "Alle speichern", "Tout enregistrer",
     "Guardar todo"),
    ("IDC_BUTTON_SELECTALLTIPS", "Select all", "全选", "Alle auswählen", "Tout sélectionner",
     "Seleccionar todo"),
    ("DEVICEON_TIPS", "DPF Connected!", "DPF已连接!", "DPF verbunden!", "DPF connecté !",
     "¡DPF conectado!"),
    ("DEVICEOFF_TIPS", "DPF Detached!", "DPF已断开!", "DPF getrennt!", "DPF déconnecté !",
     "¡DPF desconectado!"),
    ("INSERTDEVICE_TIPS", "Please insert the DPF device!", "请插入DPF设备!",
     "Bitte das DPF-Gerät anschließen!", "Veuillez brancher l'appareil DPF !",
     "¡Conecte el dispositivo DPF!"),
    ("ALLOCMEMFAIL_TIPS", "Allocate memory failed, not enough memory to use!",
     "分配内存失败, 没有足够的内存可用!", "Speicher konnte nicht belegt werden, nicht genug Speicher!",
     "Échec de l'allocation mémoire, mémoire insuffisante !",
     "¡Error al reservar memoria, no hay memoria suficiente!"),
    ("SYNCHRONIZETIME_TIPS", "Synchronize time failed!", "同步时间失败!",
     "Zeitabgleich fehlgeschlagen!", "Échec de la synchronisation de l'heure !",
     "¡Error al sincronizar la hora!"),
    ("LCDSIZEZERO_TIPS", "LCD width is 0, it must have something wrong with your DPF!",
     "LCD宽度为0, 您的DPF可能出现了故障!", "Die LCD-Breite ist 0, mit Ihrem DPF stimmt etwas nicht!",
     "La largeur de l'écran LCD est 0, votre DPF présente un problème !",
     "El ancho de la LCD es 0, ¡su DPF tiene algún problema!"),
    ("NOPICS_TIPS", "No photos in device!", "设备中没有照片!", "Keine Fotos im Gerät!",
     "Aucune photo dans l'appareil !", "¡No hay fotos en el dispositivo!"),
    ("WARN_TIPS", "Don't pullout USB cable while reading or writing!",
     "读写过程中请不要拔出USB线!", "USB-Kabel beim Lesen oder Schreiben nicht abziehen!",
     "Ne débranchez pas le câble USB pendant la lecture ou l'écriture !",
     "¡No desconecte el cable USB durante la lectura o escritura!"),
    ("READVERIFY_TIPS", "Cannot read the verify value from the DPF!", "无法从DPF读取校验值!",
     "Der Prüfwert kann nicht vom DPF gelesen werden!",
     "Impossible de lire la valeur de contrôle du DPF !",
     "¡No se puede leer el valor de verificación del DPF!"),
    ("VERIFYINDEX_TIPS", "Verify index failed! Please insert the Device and try again!",
     "索引校验失败! 请插入设备后重试!",
     "Prüfung des Index fehlgeschlagen! Bitte Gerät anschließen und erneut versuchen!",
     "Échec du contrôle de l'index ! Branchez l'appareil et réessayez !",
     "¡Error al verificar el índice! ¡Conecte el dispositivo e inténtelo de nuevo!"),
    ("DOWNLOADING_TIPS", "Sending", "正在发送", "Senden", "Envoi", "Enviando"),
    ("DOWNFINISH_TIPS", "Finished!", "完成!", "Fertig!", "Terminé !", "¡Terminado!"),
    ("READFINISH_TIPS", "Reading Finished!", "读取完成!", "Lesen beendet!", "Lecture terminée !",
     "¡Lectura terminada!"),
    ("WRITEINPROTECT_TIPS",
     "Download address wrong!It should not write in the protected address!",
     "下载地址错误! 不能写入保护区地址!",
     "Falsche Schreibadresse! Der geschützte Bereich darf nicht beschrieben werden!",
     "Adresse d'écriture erronée ! La zone protégée ne doit pas être écrite !",
     "¡Dirección de escritura errónea! ¡No se debe escribir en la zona protegida!"),
    ("SENDING_TIPS", "Sending data, Please operate after sending finished!",
     "正在发送数据, 请在发送完成后再操作!",
     "Daten werden gesendet, bitte warten Sie, bis das Senden beendet ist!",
     "Envoi des données, veuillez attendre la fin de l'envoi !",
     "Enviando datos, ¡espere a que termine el envío!"),
    ("STOP_TIPS_1", "Stop download and quit?", "停止下载并退出吗?",
     "Übertragung abbrechen und beenden?", "Arrêter le transfert et quitter ?",
     "¿Detener la transferencia y salir?"),
    ("STOPDOWNLOAD_TIPS", "Stopping……", "正在停止……", "Wird angehalten……", "Arrêt en cours……",
     "Deteniendo……"),
    ("EXIT_TIPS_1",
     "The pictures in the Preview Album are not synchronized with the Watch. "
     "Do you really want to quit (and NOT download)?",
     "预览相册中的图片尚未与设备同步。确实要退出(且不下载)吗?",
     "Die Bilder im Vorschau-Album sind nicht mit dem Gerät abgeglichen. "
     "Wirklich beenden (und NICHT übertragen)?",
     "Les photos de l'album ne sont pas synchronisées avec l'appareil. "
     "Voulez-vous vraiment quitter (SANS transférer) ?",
     "Las fotos del álbum no están sincronizadas con el dispositivo. "
     "¿Desea salir de verdad (SIN transferir)?"),
    ("EXIT_TIPS_2", "Really want to quit?", "确实要退出吗?", "Wirklich beenden?",
     "Voulez-vous vraiment quitter ?", "¿Desea salir de verdad?"),
    ("DELETE_TIPS_1", "Please select at least a pic before you delete it!",
     "删除前请至少选择一张图片!", "Bitte vor dem Löschen mindestens ein Bild auswählen!",
     "Sélectionnez au moins une photo avant de supprimer !",
     "¡Seleccione al menos una foto antes de eliminar!"),
    ("DELETE_TIPS_2", "Delete the selected photo(s)?", "删除所选的照片吗?",
     "Ausgewählte Fotos löschen?", "Supprimer les photos sélectionnées ?",
     "¿Eliminar las fotos seleccionadas?"),
    ("MOVE_TIPS_1", "Please select one pic only!", "请只选择一张图片!",
     "Bitte nur ein Bild auswählen!", "Sélectionnez une seule photo !",
     "¡Seleccione solo una foto!"),
    ("MEMFULL_TIPS_1",
     "The maximum number of images has been reached.  Delete some images before adding any more.",
     "已达到图片数量上限。请先删除一些图片再添加。",
     "Die Höchstzahl an Bildern ist erreicht. Löschen Sie Bilder, bevor Sie weitere hinzufügen.",
     "Le nombre maximal de photos est atteint. Supprimez des photos avant d'en ajouter.",
     "Se ha alcanzado el número máximo de fotos. Elimine algunas antes de añadir más."),
    ("PICDESTROY_TIPS", "The picture is destroyed!", "图片已损坏!", "Das Bild ist beschädigt!",
     "La photo est endommagée !", "¡La foto está dañada!"),
    ("SYSTEMCOLOR_TIPS",
     "The color quality of the system is less than 16 bit, the application cannot use in this situation!",
     "系统颜色质量低于16位, 程序无法在此情况下使用!",
     "Die Farbtiefe des Systems liegt unter 16 Bit, das Programm kann so nicht arbeiten!",
     "La qualité des couleurs du système est inférieure à 16 bits, le programme ne peut pas fonctionner !",
     "La calidad de color del sistema es inferior a 16 bits, ¡el programa no puede funcionar así!"),
    ("SAVE_TIPS_1", "You should select one pic at least!", "请至少选择一张图片!",
     "Bitte mindestens ein Bild auswählen!", "Sélectionnez au moins une photo !",
     "¡Seleccione al menos una foto!"),
    ("SAVE_TIPS_2",
     "Want to save as BMP files, please select Yes, else if you want to save as JPG files, please select NO!",
     "保存为BMP文件请选择\"是\", 保存为JPG文件请选择\"否\"!",
     "Als BMP-Dateien speichern: Ja wählen; als JPG-Dateien speichern: Nein wählen!",
     "Pour enregistrer en BMP, choisissez Oui ; pour enregistrer en JPG, choisissez Non !",
     "Para guardar como BMP elija Sí; para guardar como JPG elija No."),
    ("SAVEBMPDIR_TIPS", "Choose Save BMP Directory", "选择保存BMP的文件夹",
     "Ordner für BMP-Dateien wählen", "Choisir le dossier des fichiers BMP",
     "Elegir la carpeta para los BMP"),
    ("SAVEJPGDIR_TIPS", "Choose Save JPG Directory", "选择保存JPG的文件夹",
     "Ordner für JPG-Dateien wählen", "Choisir le dossier des fichiers JPG",
     "Elegir la carpeta para los JPG"),
    ("SAVEPICFINISH_TIPS", "All pics were saved!", "所有图片已保存!", "Alle Bilder wurden gespeichert!",
     "Toutes les photos ont été enregistrées !", "¡Se han guardado todas las fotos!"),
    # The write plan, the flash budget and the restore from a backup (%1, %2, %3: numbers or
    # names filled in by the program).
    # The plan line is put together from its counts, each said in the singular for one.
    ("SYNCPLAN_TIPS", "%1, %2, ≈ %3 s", "%1, %2, 约 %3 秒", "%1, %2, ≈ %3 s", "%1, %2, ≈ %3 s",
     "%1, %2, ≈ %3 s"),
    ("SYNCPLAN_BLOCKS", "%1 blocks", "%1 个块", "%1 Blöcke", "%1 blocs", "%1 bloques"),
    ("SYNCPLAN_ONE_BLOCK", "1 block", "1 个块", "1 Block", "1 bloc", "1 bloque"),
    ("SYNCPLAN_MOVED", "%1 pictures moved", "移动 %1 张图片", "%1 Bilder verschoben",
     "%1 photos déplacées", "%1 fotos movidas"),
    ("SYNCPLAN_ONE_MOVED", "1 picture moved", "移动 1 张图片", "1 Bild verschoben",
     "1 photo déplacée", "1 foto movida"),
    ("BUDGET_TIPS", "Flash used: %1 KB, free: %2 KB", "已用闪存: %1 KB, 可用: %2 KB",
     "Flash belegt: %1 KB, frei: %2 KB", "Flash utilisée : %1 Ko, libre : %2 Ko",
     "Flash usada: %1 KB, libre: %2 KB"),
    ("BUDGET_MORE_TIPS", "About %1 more pictures fit", "大约还能放 %1 张图片",
     "Etwa %1 weitere Bilder passen", "Environ %1 photos de plus tiennent",
     "Caben unas %1 fotos más"),
    ("RESTORE_MENU", "Restore frame from backup…", "从备份恢复相框…",
     "Bilderrahmen aus Sicherung wiederherstellen…", "Restaurer le cadre depuis une sauvegarde…",
     "Restaurar el marco desde una copia…"),
    ("RESTORE_LIST_TIPS", "Backups of this frame, newest first:", "此相框的备份 (最新的在前):",
     "Sicherungen dieses Bilderrahmens, neueste zuerst:",
     "Sauvegardes de ce cadre, la plus récente d'abord :",
     "Copias de este marco, la más reciente primero:"),
    ("RESTORE_ITEM", "%1, %2 pictures", "%1, %2 张图片", "%1, %2 Bilder", "%1, %2 photos",
     "%1, %2 fotos"),
    ("RESTORE_ASK_TIPS",
     "Put the backup of %1 back into the frame? Only the blocks that differ are rewritten, each one verified; changes not synchronized are lost.",
     "将 %1 的备份写回相框吗? 只重写不同的块, 每块都会校验; 未同步的修改将丢失。",
     "Die Sicherung vom %1 in den Bilderrahmen zurückschreiben? Nur abweichende Blöcke werden geprüft neu geschrieben; nicht synchronisierte Änderungen gehen verloren.",
     "Remettre la sauvegarde du %1 dans le cadre ? Seuls les blocs différents sont réécrits et vérifiés ; les modifications non synchronisées sont perdues.",
     "¿Devolver al marco la copia del %1? Solo se reescriben, verificados, los bloques distintos; los cambios no sincronizados se pierden."),
    ("RESTORE_NONE_TIPS", "There is no backup of this frame yet.", "此相框还没有备份。",
     "Von diesem Bilderrahmen gibt es noch keine Sicherung.",
     "Il n'existe pas encore de sauvegarde de ce cadre.", "Aún no hay copias de este marco."),
    ("RESTORING_TIPS", "Restoring the backup......", "正在恢复备份......",
     "Sicherung wird wiederhergestellt......", "Restauration de la sauvegarde......",
     "Restaurando la copia......"),
    ("RESTORE_DONE_TIPS", "The backup is back in the frame (%1 of %2 blocks rewritten).",
     "备份已写回相框 (重写了 %2 个块中的 %1 个)。",
     "Die Sicherung ist wieder im Bilderrahmen (%1 von %2 Blöcken neu geschrieben).",
     "La sauvegarde est de retour dans le cadre (%1 blocs réécrits sur %2).",
     "La copia ha vuelto al marco (%1 de %2 bloques reescritos)."),
    ("RESTORE_FAIL_TIPS", "The backup could not be put back: %1", "无法恢复备份: %1",
     "Die Sicherung konnte nicht zurückgeschrieben werden: %1",
     "La sauvegarde n'a pas pu être remise : %1", "No se pudo devolver la copia: %1"),
]

START_INFO = [
    ("info", [
        ("JpgQuality", "90"),
        ("Titlename", "Framewise"),
        ("ProgressCtrl", "OFF"),
        ("CorpLink", "https://framewise.example.org"),
        ("CopyRightTips", "Copyright (C) 2026 The Framewise developers"),
        ("LangIndex", "0"),
        # Album list 246 px wide: 3 columns of 64 px; folder list 255 px wide: 3 columns of
        # 48 px plus the list's 35 px spacing.
        ("ThumbWidth", "64"),
        ("ThumbColumn", "3"),
        ("SThumbWidth", "48"),
        ("SThumbColumn", "3"),
    ]),
]


def value(text):
    # The reader trims values, so one that begins or ends with a space keeps it in quotes.
    return f'"{text}"' if text != text.strip() else text


def write_unicode(path, lines):
    text = "\r\n".join(lines) + "\r\n"
    path.write_bytes(b"\xff\xfe" + text.encode("utf-16-le"))


def language_file():
    lines = ["[Language]"]
    lines += [f"Lan_{i}={name}" for i, name in enumerate(LANGUAGES, 1)]
    for col, lang in enumerate(LANGUAGES, 1):
        lines += ["", f"[{lang}]"]
        for row in TEXTS:
            lines.append(f"{row[0]}={value(row[col])}")
        for n, name in enumerate(NAMES[lang], 1):
            lines.append(f"SUBMENU_{n}={name}")
    return lines


def start_info_file():
    lines = []
    for section, keys in START_INFO:
        lines.append(f"[{section}]")
        lines += [f"{k}={v}" for k, v in keys]
    return lines


def main():
    for row in TEXTS:
        assert len(row) == 1 + len(LANGUAGES), row[0]
        assert all(len(t) <= 254 and "\n" not in t for t in row[1:]), row[0]
    write_unicode(ROOT / "data" / "LanguageUnicode.ini", language_file())
    write_unicode(ROOT / "data" / "StartInfoUnicode.ini", start_info_file())


if __name__ == "__main__":
    main()
