<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>ChartInteraction</name>
    <message>
        <source>Chart</source>
        <translation>Diagramm</translation>
    </message>
</context>
<context>
    <name>ClipExportAction</name>
    <message>
        <source>Export Clip</source>
        <translation>Clip exportieren</translation>
    </message>
    <message>
        <source>MP4 video (*.mp4)</source>
        <translation>MP4-Video (*.mp4)</translation>
    </message>
    <message>
        <source>The marked span is empty.</source>
        <translation>Der markierte Abschnitt ist leer.</translation>
    </message>
    <message>
        <source>%1 s from %2 at %3 to %4 at %5</source>
        <translation>%1 s von %2 bei %3 bis %4 bei %5</translation>
    </message>
    <message>
        <source>%1 is a recording in the list: a clip cannot take its place; choose another name.</source>
        <translation>%1 ist eine Aufnahme in der Liste: Ein Clip kann sie nicht ersetzen; wählen Sie einen anderen Namen.</translation>
    </message>
    <message>
        <source>Writing %1…</source>
        <translation>%1 wird geschrieben…</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Clip written: %1</source>
        <translation>Clip geschrieben: %1</translation>
    </message>
    <message>
        <source>The clip was not written:
%1</source>
        <translation>Der Clip wurde nicht geschrieben:
%1</translation>
    </message>
</context>
<context>
    <name>ClipExportDialog</name>
    <message>
        <source>Export Clip</source>
        <translation>Clip exportieren</translation>
    </message>
    <message>
        <source>Exact</source>
        <translation>Genau</translation>
    </message>
    <message>
        <source>Fast</source>
        <translation>Schnell</translation>
    </message>
    <message>
        <source>Re-encoded: starts and ends on the marked frames.</source>
        <translation>Neu kodiert: beginnt und endet auf den markierten Bildern.</translation>
    </message>
    <message>
        <source>Burn in telemetry: date and time, speed, G values</source>
        <translation>Telemetrie einblenden: Datum und Uhrzeit, Geschwindigkeit, G-Werte</translation>
    </message>
    <message>
        <source>Streams copied, much quicker: cuts at key frames, so the clip may start up to a few seconds before Mark In.</source>
        <translation>Datenströme kopiert, viel schneller: schneidet an Schlüsselbildern, daher kann der Clip bis zu einige Sekunden vor der Anfangsmarke beginnen.</translation>
    </message>
    <message>
        <source>Remove location</source>
        <translation>Standort entfernen</translation>
    </message>
    <message>
        <source>Leaves out the telemetry track and the file&apos;s tags, for sharing the clip without where the car went</source>
        <translation>Lässt die Telemetriespur und die Metadaten der Datei weg, um den Clip ohne die gefahrene Strecke weiterzugeben</translation>
    </message>
    <message>
        <source>Export…</source>
        <translation>Exportieren…</translation>
    </message>
    <message>
        <source>Main only</source>
        <translation>Nur Hauptkanal</translation>
    </message>
    <message>
        <source>Picture in Picture</source>
        <translation>Bild im Bild</translation>
    </message>
    <message>
        <source>Side by Side</source>
        <translation>Nebeneinander</translation>
    </message>
    <message>
        <source>Channels:</source>
        <translation>Kanäle:</translation>
    </message>
</context>
<context>
    <name>ClipMarking</name>
    <message>
        <source>Nothing is playing to mark.</source>
        <translation>Es wird nichts wiedergegeben, das markiert werden könnte.</translation>
    </message>
    <message>
        <source>In must come before Out: mark not placed.</source>
        <translation>Anfang muss vor Ende liegen: Marke nicht gesetzt.</translation>
    </message>
    <message>
        <source>Out must come after In: mark not placed.</source>
        <translation>Ende muss nach Anfang liegen: Marke nicht gesetzt.</translation>
    </message>
    <message>
        <source>Events</source>
        <translation>Ereignisse</translation>
    </message>
</context>
<context>
    <name>Draw_Graph</name>
    <message>
        <source>Video time (s)</source>
        <translation>Videozeit (s)</translation>
    </message>
    <message>
        <source>Acceleration (g)</source>
        <translation>Beschleunigung (g)</translation>
    </message>
    <message>
        <source>Speed (%1)</source>
        <translation>Geschwindigkeit (%1)</translation>
    </message>
</context>
<context>
    <name>ExportTrackAction</name>
    <message>
        <source>No recording is indexed yet: there is no track to export.</source>
        <translation>Noch keine Aufnahme ist indiziert: Es gibt keine Spur zum Exportieren.</translation>
    </message>
    <message>
        <source>No recording is on screen: choose one, or export every row.</source>
        <translation>Keine Aufnahme wird angezeigt: Wählen Sie eine aus oder exportieren Sie alle Zeilen.</translation>
    </message>
    <message>
        <source>%1 is a recording in the list: a track cannot take its place; choose another name.</source>
        <translation>%1 ist eine Aufnahme in der Liste: Eine Spur kann sie nicht ersetzen; wählen Sie einen anderen Namen.</translation>
    </message>
    <message>
        <source>The track could not be written to %1: %2</source>
        <translation>Die Spur konnte nicht nach %1 geschrieben werden: %2</translation>
    </message>
    <message>
        <source>No track to export: %1</source>
        <translation>Keine Spur zum Exportieren: %1</translation>
    </message>
    <message>
        <source>Track exported to %1. No position fix, left out: %2</source>
        <translation>Spur nach %1 exportiert. Ohne Positionsbestimmung, ausgelassen: %2</translation>
    </message>
    <message>
        <source>Track exported to %1</source>
        <translation>Spur nach %1 exportiert</translation>
    </message>
    <message>
        <source>Export Track</source>
        <translation>Spur exportieren</translation>
    </message>
    <message>
        <source>Export the track of:</source>
        <translation>Die Spur exportieren von:</translation>
    </message>
    <message>
        <source>The recording on screen (none)</source>
        <translation>Der angezeigten Aufnahme (keine)</translation>
    </message>
    <message>
        <source>The recording on screen: %1</source>
        <translation>Der angezeigten Aufnahme: %1</translation>
    </message>
    <message>
        <source>Its trip (no recording on screen)</source>
        <translation>Ihrer Fahrt (keine Aufnahme angezeigt)</translation>
    </message>
    <message>
        <source>Its trip: %1</source>
        <translation>Ihrer Fahrt: %1</translation>
    </message>
    <message>
        <source>Every row: %1</source>
        <translation>Allen Zeilen: %1</translation>
    </message>
    <message>
        <source>Choose File…</source>
        <translation>Datei wählen…</translation>
    </message>
</context>
<context>
    <name>FileTableModel</name>
    <message>
        <source>F</source>
        <translation>F</translation>
    </message>
    <message>
        <source>front</source>
        <translation>Front</translation>
    </message>
    <message>
        <source>R</source>
        <translation>H</translation>
    </message>
    <message>
        <source>rear</source>
        <translation>Heck</translation>
    </message>
    <message>
        <source>I</source>
        <translation>I</translation>
    </message>
    <message>
        <source>interior</source>
        <translation>Innenraum</translation>
    </message>
    <message>
        <source>File</source>
        <translation>Datei</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>Dauer</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>Datum</translation>
    </message>
    <message>
        <source>Trip</source>
        <translation>Fahrt</translation>
    </message>
    <message>
        <source>Channels</source>
        <translation>Kanäle</translation>
    </message>
    <message>
        <source>Folder</source>
        <translation>Ordner</translation>
    </message>
    <message>
        <source>Camera</source>
        <translation>Kamera</translation>
    </message>
    <message>
        <source>Kind</source>
        <translation>Art</translation>
    </message>
</context>
<context>
    <name>FileTableView</name>
    <message>
        <source>Recordings</source>
        <translation>Aufnahmen</translation>
    </message>
</context>
<context>
    <name>MainMenu</name>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>&amp;Open…</source>
        <translation>Ö&amp;ffnen…</translation>
    </message>
    <message>
        <source>Open &amp;Recent</source>
        <translation>&amp;Zuletzt geöffnet</translation>
    </message>
    <message>
        <source>&amp;Clear List</source>
        <translation>Liste &amp;leeren</translation>
    </message>
    <message>
        <source>&amp;Export Track…</source>
        <translation>Spur &amp;exportieren…</translation>
    </message>
    <message>
        <source>Export C&amp;lip…</source>
        <translation>C&amp;lip exportieren…</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <source>&amp;Playback</source>
        <translation>&amp;Wiedergabe</translation>
    </message>
    <message>
        <source>&amp;Play/Pause</source>
        <translation>&amp;Wiedergabe/Pause</translation>
    </message>
    <message>
        <source>Frame Step &amp;Forward</source>
        <translation>Bild &amp;vorwärts</translation>
    </message>
    <message>
        <source>Frame Step &amp;Back</source>
        <translation>Bild &amp;rückwärts</translation>
    </message>
    <message>
        <source>&amp;Speed</source>
        <translation>&amp;Geschwindigkeit</translation>
    </message>
    <message>
        <source>Slower</source>
        <translation>Langsamer</translation>
    </message>
    <message>
        <source>Faster</source>
        <translation>Schneller</translation>
    </message>
    <message>
        <source>Normal Speed</source>
        <translation>Normale Geschwindigkeit</translation>
    </message>
    <message>
        <source>Pre&amp;vious Recording</source>
        <translation>V&amp;orherige Aufnahme</translation>
    </message>
    <message>
        <source>&amp;Next Recording</source>
        <translation>&amp;Nächste Aufnahme</translation>
    </message>
    <message>
        <source>Snapsho&amp;t</source>
        <translation>&amp;Standbild</translation>
    </message>
    <message>
        <source>&amp;Mute</source>
        <translation>&amp;Stumm</translation>
    </message>
    <message>
        <source>Volume &amp;Down</source>
        <translation>&amp;Leiser</translation>
    </message>
    <message>
        <source>Volume &amp;Up</source>
        <translation>L&amp;auter</translation>
    </message>
    <message>
        <source>Mark &amp;In</source>
        <translation>&amp;Anfang markieren</translation>
    </message>
    <message>
        <source>Mark &amp;Out</source>
        <translation>&amp;Ende markieren</translation>
    </message>
    <message>
        <source>&amp;Clear Marks</source>
        <translation>Marken &amp;löschen</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>&amp;Ansicht</translation>
    </message>
    <message>
        <source>&amp;Full Screen</source>
        <translation>&amp;Vollbild</translation>
    </message>
    <message>
        <source>&amp;Leave Full Screen</source>
        <translation>Vollbild &amp;verlassen</translation>
    </message>
    <message>
        <source>Fit &amp;Trip</source>
        <translation>&amp;Fahrt einpassen</translation>
    </message>
    <message>
        <source>F&amp;ollow Vehicle</source>
        <translation>Fahrzeug &amp;folgen</translation>
    </message>
    <message>
        <source>&amp;Speed Trace</source>
        <translation>&amp;Geschwindigkeitskurve</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>&amp;Keyboard Shortcuts</source>
        <translation>&amp;Tastenkürzel</translation>
    </message>
    <message>
        <source>&amp;About</source>
        <translation>Ü&amp;ber</translation>
    </message>
    <message>
        <source>Se&amp;ttings…</source>
        <translation>E&amp;instellungen…</translation>
    </message>
    <message>
        <source>About dashcam-viewer</source>
        <translation>Über dashcam-viewer</translation>
    </message>
    <message>
        <source>&lt;b&gt;dashcam-viewer&lt;/b&gt; %1&lt;p&gt;Plays dashcam recordings in step with their telemetry.</source>
        <translation>&lt;b&gt;dashcam-viewer&lt;/b&gt; %1&lt;p&gt;Spielt Dashcam-Aufnahmen im Takt ihrer Telemetrie ab.</translation>
    </message>
    <message>
        <source>Keyboard Shortcuts</source>
        <translation>Tastenkürzel</translation>
    </message>
    <message>
        <source>Back 5 s</source>
        <translation>5 s zurück</translation>
    </message>
    <message>
        <source>Forward 5 s</source>
        <translation>5 s vor</translation>
    </message>
    <message>
        <source>Back 30 s</source>
        <translation>30 s zurück</translation>
    </message>
    <message>
        <source>Forward 30 s</source>
        <translation>30 s vor</translation>
    </message>
    <message>
        <source>To the Start</source>
        <translation>Zum Anfang</translation>
    </message>
    <message>
        <source>To the End</source>
        <translation>Zum Ende</translation>
    </message>
    <message>
        <source>&amp;Channels</source>
        <translation>&amp;Kanäle</translation>
    </message>
    <message>
        <source>&amp;Picture in Picture</source>
        <translation>&amp;Bild im Bild</translation>
    </message>
    <message>
        <source>&amp;Side by Side</source>
        <translation>&amp;Nebeneinander</translation>
    </message>
    <message>
        <source>&amp;Front Large</source>
        <translation>&amp;Front groß</translation>
    </message>
    <message>
        <source>&amp;Rear Large</source>
        <translation>&amp;Heck groß</translation>
    </message>
    <message>
        <source>&amp;Interior Large</source>
        <translation>&amp;Innenraum groß</translation>
    </message>
    <message>
        <source>&amp;All Recordings</source>
        <translation>&amp;Alle Aufnahmen</translation>
    </message>
    <message>
        <source>&amp;Events Only</source>
        <translation>Nur &amp;Ereignisse</translation>
    </message>
    <message>
        <source>&amp;Parking Only</source>
        <translation>Nur &amp;Parken</translation>
    </message>
</context>
<context>
    <name>MapSteering</name>
    <message>
        <source>Fit the whole trip (%1)</source>
        <translation>Die ganze Fahrt einpassen (%1)</translation>
    </message>
    <message>
        <source>Follow the vehicle</source>
        <translation>Dem Fahrzeug folgen</translation>
    </message>
</context>
<context>
    <name>MapWidget</name>
    <message>
        <source>Zoom in</source>
        <translation>Vergrößern</translation>
    </message>
    <message>
        <source>Zoom out</source>
        <translation>Verkleinern</translation>
    </message>
    <message>
        <source>Map</source>
        <translation>Karte</translation>
    </message>
</context>
<context>
    <name>MarkedSlider</name>
    <message>
        <source>Position</source>
        <translation>Position</translation>
    </message>
</context>
<context>
    <name>MediaPlayer</name>
    <message>
        <source>No video player</source>
        <translation>Kein Videoplayer</translation>
    </message>
    <message>
        <source>File is gone</source>
        <translation>Die Datei ist nicht mehr da</translation>
    </message>
    <message>
        <source>Not a regular file</source>
        <translation>Keine reguläre Datei</translation>
    </message>
    <message>
        <source>Cannot read the file</source>
        <translation>Die Datei kann nicht gelesen werden</translation>
    </message>
    <message>
        <source>No video track</source>
        <translation>Keine Videospur</translation>
    </message>
    <message>
        <source>Cannot decode the video</source>
        <translation>Das Video kann nicht dekodiert werden</translation>
    </message>
</context>
<context>
    <name>MpvPlayer</name>
    <message>
        <source>a folder</source>
        <translation>ein Ordner</translation>
    </message>
    <message>
        <source>a FIFO</source>
        <translation>eine FIFO</translation>
    </message>
    <message>
        <source>a device</source>
        <translation>ein Gerät</translation>
    </message>
    <message>
        <source>a socket</source>
        <translation>ein Socket</translation>
    </message>
    <message>
        <source>not a regular file</source>
        <translation>keine reguläre Datei</translation>
    </message>
    <message>
        <source>the video player could not be started</source>
        <translation>der Videoplayer konnte nicht gestartet werden</translation>
    </message>
    <message>
        <source>no recording is open</source>
        <translation>keine Aufnahme ist geöffnet</translation>
    </message>
</context>
<context>
    <name>PlaybackSession</name>
    <message>
        <source>Cannot play %1: %2 (%3)</source>
        <translation>%1 kann nicht abgespielt werden: %2 (%3)</translation>
    </message>
    <message>
        <source>Playing without %1: it has no picture that plays</source>
        <translation>Wiedergabe ohne %1: kein abspielbares Bild</translation>
    </message>
    <message>
        <source>Cannot keep up with %1: playing %2 alone</source>
        <translation>Kann mit %1 nicht Schritt halten: spiele %2 allein</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>1 recording</source>
        <translation>1 Aufnahme</translation>
    </message>
    <message>
        <source>%1 recordings</source>
        <translation>%1 Aufnahmen</translation>
    </message>
    <message>
        <source>Open recordings or a folder</source>
        <translation>Aufnahmen oder einen Ordner öffnen</translation>
    </message>
    <message>
        <source>Recordings (*.mp4 *.MP4 *.mov *.MOV)</source>
        <translation>Aufnahmen (*.mp4 *.MP4 *.mov *.MOV)</translation>
    </message>
    <message>
        <source>All files (*)</source>
        <translation>Alle Dateien (*)</translation>
    </message>
    <message>
        <source>Trip %1: no telemetry</source>
        <translation>Fahrt %1: keine Telemetrie</translation>
    </message>
    <message numerus="yes">
        <source>Trip %1: from %2, %3 long, %n recording(s)</source>
        <translation>
            <numerusform>Fahrt %1: ab %2, %3 lang, %n Aufnahme</numerusform>
            <numerusform>Fahrt %1: ab %2, %3 lang, %n Aufnahmen</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n event(s)</source>
        <translation>
            <numerusform>%n Ereignis</numerusform>
            <numerusform>%n Ereignisse</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1
 %2 %3, %4 moving
 avg %5 max %6 %7
 max G %8 %9 %10
 %n event(s)</source>
        <translation>
            <numerusform>%1
 %2 %3, %4 in Fahrt
 Ø %5 max %6 %7
 max G %8 %9 %10
 %n Ereignis</numerusform>
            <numerusform>%1
 %2 %3, %4 in Fahrt
 Ø %5 max %6 %7
 max G %8 %9 %10
 %n Ereignisse</numerusform>
        </translation>
    </message>
    <message>
        <source>%1, %2 g</source>
        <translation>%1, %2 g</translation>
    </message>
    <message>
        <source>%1, %2 %3 lost</source>
        <translation>%1, %2 %3 verloren</translation>
    </message>
    <message>
        <source>No video track</source>
        <translation>Keine Videospur</translation>
    </message>
    <message>
        <source>Cannot read the file: %1</source>
        <translation>Die Datei kann nicht gelesen werden: %1</translation>
    </message>
    <message>
        <source>Empty file</source>
        <translation>Leere Datei</translation>
    </message>
    <message>
        <source>No movie header: not a recording, or cut short</source>
        <translation>Kein Film-Header: keine Aufnahme oder abgeschnitten</translation>
    </message>
    <message>
        <source>Shorter than a second</source>
        <translation>Kürzer als eine Sekunde</translation>
    </message>
    <message>
        <source>No telemetry track</source>
        <translation>Keine Telemetriespur</translation>
    </message>
    <message>
        <source>Telemetry cut short: the file is truncated or damaged</source>
        <translation>Telemetrie abgeschnitten: Die Datei ist gekürzt oder beschädigt</translation>
    </message>
    <message>
        <source>Normal</source>
        <translation>Normal</translation>
    </message>
    <message>
        <source>Event</source>
        <translation>Ereignis</translation>
    </message>
    <message>
        <source>Parking</source>
        <translation>Parken</translation>
    </message>
    <message>
        <source>Manual</source>
        <translation>Manuell</translation>
    </message>
    <message>
        <source>protected by the camera</source>
        <translation>von der Kamera geschützt</translation>
    </message>
    <message>
        <source>Showing events only: %1 of %2 recordings</source>
        <translation>Nur Ereignisse: %1 von %2 Aufnahmen</translation>
    </message>
    <message>
        <source>Showing parking only: %1 of %2 recordings</source>
        <translation>Nur Parken: %1 von %2 Aufnahmen</translation>
    </message>
</context>
<context>
    <name>QSettings</name>
    <message>
        <source>the settings file %1 cannot be written</source>
        <translation>die Einstellungsdatei %1 kann nicht geschrieben werden</translation>
    </message>
    <message>
        <source>the settings file %1 is not in a readable format</source>
        <translation>die Einstellungsdatei %1 hat kein lesbares Format</translation>
    </message>
</context>
<context>
    <name>RecordingIntake</name>
    <message>
        <source>No recordings found in %1</source>
        <translation>Keine Aufnahmen in %1 gefunden</translation>
    </message>
</context>
<context>
    <name>SettingViewController</name>
    <message>
        <source>Snapshot folder</source>
        <translation>Standbild-Ordner</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>Miles per hour (Mph)</source>
        <translation>Meilen pro Stunde (Mph)</translation>
    </message>
    <message>
        <source>Kilometres per hour (Kmh)</source>
        <translation>Kilometer pro Stunde (Kmh)</translation>
    </message>
    <message>
        <source>Miles</source>
        <translation>Meilen</translation>
    </message>
    <message>
        <source>Kilometres</source>
        <translation>Kilometer</translation>
    </message>
    <message>
        <source>Low</source>
        <translation>Niedrig</translation>
    </message>
    <message>
        <source>Normal</source>
        <translation>Normal</translation>
    </message>
    <message>
        <source>High</source>
        <translation>Hoch</translation>
    </message>
    <message>
        <source>Choose…</source>
        <translation>Wählen…</translation>
    </message>
    <message>
        <source>This computer&apos;s zone</source>
        <translation>Zeitzone dieses Computers</translation>
    </message>
    <message>
        <source>UTC</source>
        <translation>UTC</translation>
    </message>
    <message>
        <source>Offset from UTC</source>
        <translation>Abstand zu UTC</translation>
    </message>
    <message>
        <source>empty: no map tiles</source>
        <translation>leer: keine Kartenkacheln</translation>
    </message>
    <message>
        <source>empty: no road routes</source>
        <translation>leer: keine Straßenrouten</translation>
    </message>
    <message>
        <source>The map asks the tile server for the tiles around each trip, and the routing server for a road route between its start and end. Changes apply at the next start.</source>
        <translation>Die Karte holt die Kacheln um jede Fahrt vom Kachelserver und eine Straßenroute zwischen Start und Ziel vom Routing-Server. Änderungen gelten ab dem nächsten Start.</translation>
    </message>
    <message>
        <source>Speed unit:</source>
        <translation>Geschwindigkeitseinheit:</translation>
    </message>
    <message>
        <source>Distance unit:</source>
        <translation>Entfernungseinheit:</translation>
    </message>
    <message>
        <source>Event sensitivity:</source>
        <translation>Ereignisempfindlichkeit:</translation>
    </message>
    <message>
        <source>Snapshot folder:</source>
        <translation>Standbild-Ordner:</translation>
    </message>
    <message>
        <source>Camera clock:</source>
        <translation>Kamerauhr:</translation>
    </message>
    <message>
        <source>Tile server:</source>
        <translation>Kachelserver:</translation>
    </message>
    <message>
        <source>Routing server:</source>
        <translation>Routing-Server:</translation>
    </message>
    <message>
        <source>http or https only</source>
        <translation>nur http oder https</translation>
    </message>
    <message>
        <source>Refused: only http and https URLs</source>
        <translation>Abgelehnt: nur http- und https-URLs</translation>
    </message>
    <message>
        <source>Not saved: the camera clock offset must read +HH:MM or -HH:MM, at most 14 hours.</source>
        <translation>Nicht gespeichert: Der Abstand der Kamerauhr muss +HH:MM oder -HH:MM lauten, höchstens 14 Stunden.</translation>
    </message>
    <message>
        <source>Not saved: the tile and routing servers take only http and https URLs.</source>
        <translation>Nicht gespeichert: Kachel- und Routing-Server nehmen nur http- und https-URLs.</translation>
    </message>
    <message>
        <source>Not saved: %1.</source>
        <translation>Nicht gespeichert: %1.</translation>
    </message>
    <message>
        <source>The main channel</source>
        <translation>Den Hauptkanal</translation>
    </message>
    <message>
        <source>All channels as one picture</source>
        <translation>Alle Kanäle als ein Bild</translation>
    </message>
    <message>
        <source>Snapshots save:</source>
        <translation>Standbilder zeigen:</translation>
    </message>
</context>
<context>
    <name>Snapshot</name>
    <message>
        <source>PNG encoding failed</source>
        <translation>PNG-Kodierung fehlgeschlagen</translation>
    </message>
    <message>
        <source>too many snapshots in one second</source>
        <translation>zu viele Standbilder in einer Sekunde</translation>
    </message>
</context>
<context>
    <name>StatisticsForm</name>
    <message>
        <source>Distance</source>
        <translation>Strecke</translation>
    </message>
    <message>
        <source>Moving time</source>
        <translation>Fahrzeit</translation>
    </message>
    <message>
        <source>Average speed</source>
        <translation>Durchschnitt</translation>
    </message>
    <message>
        <source>Top speed</source>
        <translation>Höchstgeschwindigkeit</translation>
    </message>
    <message>
        <source>Max G</source>
        <translation>Max. G</translation>
    </message>
    <message>
        <source>X %1 g Y %2 g Z %3 g</source>
        <translation>X %1 g Y %2 g Z %3 g</translation>
    </message>
    <message>
        <source>Events</source>
        <translation>Ereignisse</translation>
    </message>
    <message>
        <source>Recording</source>
        <translation>Aufnahme</translation>
    </message>
    <message>
        <source>Trip %1</source>
        <translation>Fahrt %1</translation>
    </message>
</context>
<context>
    <name>TickTexts</name>
    <message>
        <source>DATE: %1/%2/%3 %4:%5:%6</source>
        <translation>DATUM: %3.%2.%1 %4:%5:%6</translation>
    </message>
    <message>
        <source>SPEED : %1%2</source>
        <translation>TEMPO : %1%2</translation>
    </message>
    <message>
        <source>SPEED : -%1</source>
        <translation>TEMPO : -%1</translation>
    </message>
    <message>
        <source>DATE: -</source>
        <translation>DATUM: -</translation>
    </message>
</context>
<context>
    <name>VideoPanel</name>
    <message>
        <source>Play or pause (Space)</source>
        <translation>Wiedergabe oder Pause (Leertaste)</translation>
    </message>
    <message>
        <source>Full screen (F; Esc leaves it)</source>
        <translation>Vollbild (F; Esc verlässt es)</translation>
    </message>
    <message>
        <source>Pause (Space)</source>
        <translation>Pause (Leertaste)</translation>
    </message>
    <message>
        <source>Play (Space)</source>
        <translation>Wiedergabe (Leertaste)</translation>
    </message>
    <message>
        <source>Play/Pause</source>
        <translation>Wiedergabe/Pause</translation>
    </message>
    <message>
        <source>Full Screen</source>
        <translation>Vollbild</translation>
    </message>
</context>
<context>
    <name>ViewController</name>
    <message>
        <source>The list can be cleared once the recordings are indexed.</source>
        <translation>Die Liste kann geleert werden, sobald die Aufnahmen indiziert sind.</translation>
    </message>
    <message>
        <source>Opening %1…</source>
        <translation>%1 wird geöffnet…</translation>
    </message>
    <message>
        <source>No recording is playing: there is no frame to save.</source>
        <translation>Keine Aufnahme läuft: Es gibt kein Bild zum Speichern.</translation>
    </message>
    <message>
        <source>Choose a snapshot folder in Settings first.</source>
        <translation>Wählen Sie zuerst in den Einstellungen einen Standbild-Ordner.</translation>
    </message>
    <message>
        <source>Snapshot not saved in %1: %2</source>
        <translation>Standbild nicht in %1 gespeichert: %2</translation>
    </message>
    <message>
        <source>Snapshot saved: %1</source>
        <translation>Standbild gespeichert: %1</translation>
    </message>
    <message>
        <source>cannot run ffmpeg: %1</source>
        <translation>ffmpeg kann nicht gestartet werden: %1</translation>
    </message>
    <message>
        <source>ffmpeg took too long to decode the frame</source>
        <translation>ffmpeg brauchte zu lange, um das Bild zu dekodieren</translation>
    </message>
    <message>
        <source>ffmpeg gave no frame</source>
        <translation>ffmpeg lieferte kein Bild</translation>
    </message>
    <message>
        <source>%1 is not a regular file</source>
        <translation>%1 ist keine reguläre Datei</translation>
    </message>
</context>
<context>
    <name>VolumeControl</name>
    <message>
        <source>Mute</source>
        <translation>Stumm</translation>
    </message>
    <message>
        <source>Volume</source>
        <translation>Lautstärke</translation>
    </message>
    <message>
        <source>Sound off</source>
        <translation>Ton aus</translation>
    </message>
    <message>
        <source>Sound on</source>
        <translation>Ton an</translation>
    </message>
</context>
<context>
    <name>WindowLayout</name>
    <message>
        <source>No video output</source>
        <translation>Keine Videoausgabe</translation>
    </message>
    <message>
        <source>Open…</source>
        <translation>Öffnen…</translation>
    </message>
    <message>
        <source>Open a folder of recordings, or recordings (Ctrl+O)</source>
        <translation>Einen Ordner mit Aufnahmen oder Aufnahmen öffnen (Strg+O)</translation>
    </message>
    <message>
        <source>Settings…</source>
        <translation>Einstellungen…</translation>
    </message>
    <message>
        <source>Events: a click plays from 5 s before</source>
        <translation>Ereignisse: Ein Klick spielt ab 5 s davor</translation>
    </message>
    <message>
        <source>Position (Left/Right: 5 s, Page Up/Down: 30 s, Home/End)</source>
        <translation>Position (Links/Rechts: 5 s, Bild auf/ab: 30 s, Pos1/Ende)</translation>
    </message>
    <message>
        <source>Snapshot</source>
        <translation>Standbild</translation>
    </message>
    <message>
        <source>Save the frame on screen as a PNG in the snapshot folder</source>
        <translation>Das angezeigte Bild als PNG im Standbild-Ordner speichern</translation>
    </message>
    <message>
        <source>Playback speed ([ slower, ] faster, Backspace resets)</source>
        <translation>Wiedergabegeschwindigkeit ([ langsamer, ] schneller, Rücktaste setzt zurück)</translation>
    </message>
    <message>
        <source>In</source>
        <translation>Anfang</translation>
    </message>
    <message>
        <source>Out</source>
        <translation>Ende</translation>
    </message>
    <message>
        <source>%1 (%2): the clip span</source>
        <translation>%1 (%2): der Clip-Abschnitt</translation>
    </message>
</context>
<context>
    <name>clips</name>
    <message>
        <source>Mark In (I) and Mark Out (O) first.</source>
        <translation>Setzen Sie zuerst Anfang (I) und Ende (O).</translation>
    </message>
    <message>
        <source>A mark belongs to a recording that is no longer listed; mark the span again.</source>
        <translation>Eine Marke gehört zu einer Aufnahme, die nicht mehr in der Liste steht; markieren Sie den Abschnitt neu.</translation>
    </message>
    <message>
        <source>%1 is not indexed or cannot be read, and a clip runs through consecutive recordings only.</source>
        <translation>%1 ist nicht indiziert oder nicht lesbar, und ein Clip läuft nur durch aufeinanderfolgende Aufnahmen.</translation>
    </message>
    <message>
        <source>%1 does not follow %2 in one trip, and a clip runs through consecutive recordings only.</source>
        <translation>%1 folgt in keiner Fahrt auf %2, und ein Clip läuft nur durch aufeinanderfolgende Aufnahmen.</translation>
    </message>
    <message>
        <source>Mark Out (O) lies before Mark In (I); mark the span again.</source>
        <translation>Das Ende (O) liegt vor dem Anfang (I); markieren Sie den Abschnitt neu.</translation>
    </message>
</context>
</TS>
