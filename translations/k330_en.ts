<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>AboutClass</name>
    <message>
        <source>О программе</source>
        <translation>About</translation>
    </message>
    <message>
        <source>Терминал контроллеров системы К-330С</source>
        <translation>K-330S Controller Terminal</translation>
    </message>
    <message>
        <source>Версия:</source>
        <translation>Version:</translation>
    </message>
    <message>
        <source>1.4</source>
        <translation>1.4</translation>
    </message>
    <message>
        <source>Закрыть</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>AmpClass</name>
    <message>
        <source>Усилитель НЧ</source>
        <translation>LF amplifier</translation>
    </message>
    <message>
        <source>Усиление</source>
        <translation>Gain</translation>
    </message>
    <message>
        <source>Откл.</source>
        <translation>Off</translation>
    </message>
    <message>
        <source>29,5</source>
        <translation>29.5</translation>
    </message>
    <message>
        <source>-141.5</source>
        <translation>-141.5</translation>
    </message>
    <message>
        <source>дБ</source>
        <translation>dB</translation>
    </message>
    <message>
        <source>Тип модуляции</source>
        <translation>Modulation type</translation>
    </message>
    <message>
        <source>СДМ</source>
        <translation>SDM</translation>
    </message>
    <message>
        <source>ШИМ</source>
        <translation>PWM</translation>
    </message>
    <message>
        <source>Контроль</source>
        <translation>Test</translation>
    </message>
    <message>
        <source>Сброс</source>
        <translation>Reset</translation>
    </message>
    <message>
        <source>Сохранить</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>Закрыть</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>Attenuation</name>
    <message>
        <source>Откл.</source>
        <translation>Off</translation>
    </message>
</context>
<context>
    <name>CodecClass</name>
    <message>
        <source>Кодек</source>
        <translation>Codec</translation>
    </message>
    <message>
        <source>D7</source>
        <translation>D7</translation>
    </message>
    <message>
        <source>D6</source>
        <translation>D6</translation>
    </message>
    <message>
        <source>D5</source>
        <translation>D5</translation>
    </message>
    <message>
        <source>D4</source>
        <translation>D4</translation>
    </message>
    <message>
        <source>D3</source>
        <translation>D3</translation>
    </message>
    <message>
        <source>D2</source>
        <translation>D2</translation>
    </message>
    <message>
        <source>D1</source>
        <translation>D1</translation>
    </message>
    <message>
        <source>D0</source>
        <translation>D0</translation>
    </message>
    <message>
        <source>Reg  2</source>
        <translation>Reg  2</translation>
    </message>
    <message>
        <source>Reg  3</source>
        <translation>Reg  3</translation>
    </message>
    <message>
        <source>Reg  7</source>
        <translation>Reg  7</translation>
    </message>
    <message>
        <source>Reg  8</source>
        <translation>Reg  8</translation>
    </message>
    <message>
        <source>Reg  9</source>
        <translation>Reg  9</translation>
    </message>
    <message>
        <source>Reg  12</source>
        <translation>Reg  12</translation>
    </message>
    <message>
        <source>Reg  37</source>
        <translation>Reg  37</translation>
    </message>
    <message>
        <source>Reg  38</source>
        <translation>Reg  38</translation>
    </message>
    <message>
        <source>Reg  40</source>
        <translation>Reg  40</translation>
    </message>
    <message>
        <source>Reg  42</source>
        <translation>Reg  42</translation>
    </message>
    <message>
        <source>Reg  43</source>
        <translation>Reg  43</translation>
    </message>
    <message>
        <source>Reg  44</source>
        <translation>Reg  44</translation>
    </message>
    <message>
        <source>Сброс</source>
        <translation>Reset</translation>
    </message>
    <message>
        <source>Сохранить</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>Закрыть</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>Терминал контроллеров системы аудио/радиосвязи K-330S</source>
        <translation>Terminal of the K-330S audio/radio communication controllers</translation>
    </message>
    <message>
        <source>Также дописывать каждую строку лога программы в &lt;file&gt; (UTF-8).</source>
        <translation>Also append every line of the program log to &lt;file&gt; (UTF-8).</translation>
    </message>
    <message>
        <source>Язык интерфейса: ru (по умолчанию) или en. Без него английский, если язык рабочего стола не русский и не локаль C.</source>
        <translation>Language of the interface: ru (default) or en. Without it, English on a desktop whose language is neither Russian nor the C locale.</translation>
    </message>
    <message>
        <source>Работать с имитатором контроллера вместо шины USB.</source>
        <translation>Work with a simulated controller instead of the USB bus.</translation>
    </message>
    <message>
        <source>Модель имитатора контроллера: RA (по умолчанию) или RB.</source>
        <translation>Model of the simulated controller: RA (default) or RB.</translation>
    </message>
    <message>
        <source>Число имитаторов контроллера на шине, от 1 (по умолчанию) до %1; у каждого свои путь порта, серийный номер процессора, память и флеш-память.</source>
        <translation>Number of simulated controllers on the bus, 1 (default) to %1; each has its own port path, processor serial, memory and flash.</translation>
    </message>
    <message>
        <source>Дописывать в &lt;file&gt; по строке на каждую передачу USB (время, конечная точка, размеры, результат, байты).</source>
        <translation>Append one line per USB transfer (time, endpoint, sizes, result, bytes) to &lt;file&gt;.</translation>
    </message>
    <message>
        <source>Вести журнал операций также на сервере PostgreSQL &lt;url&gt; (postgresql://user@host:port/database); иначе K330_RECORDS.</source>
        <translation>Keep the operation records also on the PostgreSQL server &lt;url&gt; (postgresql://user@host:port/database); K330_RECORDS otherwise.</translation>
    </message>
    <message>
        <source>С --simulate: хранить память конфигурации имитаторов в &lt;file&gt; между запусками (первого в &lt;file&gt;, N-го в &lt;file&gt;.N).</source>
        <translation>With --simulate: keep the simulated controllers&apos; configuration memory in &lt;file&gt; from one run to the next (the first one&apos;s in &lt;file&gt;, the N-th one&apos;s in &lt;file&gt;.N).</translation>
    </message>
</context>
<context>
    <name>ConfigFile</name>
    <message>
        <source>Файл %1: размер %2 байт, а файл конфигурации занимает ровно %3 байта.</source>
        <translation>File %1: %2 bytes long, while a configuration file has exactly %3 bytes.</translation>
    </message>
    <message>
        <source>Файл %1: контрольная сумма в файле 0x%2, по содержимому 0x%3: файл изменен или поврежден.</source>
        <translation>File %1: the checksum in the file is 0x%2, that of its contents 0x%3: the file was altered or damaged.</translation>
    </message>
    <message>
        <source>Файл %1: код модели 0x%2 не принадлежит ни K-330RA, ни K-330RB.</source>
        <translation>File %1: the model code 0x%2 is neither K-330RA nor K-330RB.</translation>
    </message>
</context>
<context>
    <name>ConnectionStatus</name>
    <message>
        <source>Контроллер не подключен</source>
        <translation>Controller not connected</translation>
    </message>
    <message>
        <source>Контроллер подключен</source>
        <translation>Controller connected</translation>
    </message>
    <message>
        <source>серийный номер процессора </source>
        <translation>processor serial </translation>
    </message>
    <message>
        <source>режим пользовательский</source>
        <translation>user mode</translation>
    </message>
    <message>
        <source>сервисный режим %1</source>
        <translation>service mode %1</translation>
    </message>
</context>
<context>
    <name>Constellation</name>
    <message>
        <source>Cтоп</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>Cтарт</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>Монитор запущен: </source>
        <translation>Monitor started: </translation>
    </message>
    <message>
        <source>Монитор остановлен: </source>
        <translation>Monitor stopped: </translation>
    </message>
</context>
<context>
    <name>ConstellationClass</name>
    <message>
        <source>Созвездие</source>
        <translation>Constellation</translation>
    </message>
    <message>
        <source>Масштаб точки</source>
        <translation>Point scale</translation>
    </message>
    <message>
        <source>1x400.00</source>
        <translation>1x400.00</translation>
    </message>
    <message>
        <source>Кол-во точек</source>
        <translation>Number of points</translation>
    </message>
    <message>
        <source>Старт</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>Сброс</source>
        <translation>Reset</translation>
    </message>
    <message>
        <source>Закрыть</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Экспорт…</source>
        <translation>Export…</translation>
    </message>
</context>
<context>
    <name>ControllerMenu</name>
    <message>
        <source>&amp;Контроллер</source>
        <translation>&amp;Controller</translation>
    </message>
    <message>
        <source>Контроллер %1 не выбран: дождитесь окончания задания на контроллере %2</source>
        <translation>Controller %1 not chosen: wait until the job on controller %2 has ended</translation>
    </message>
</context>
<context>
    <name>CreateCfg</name>
    <message>
        <source>K-330RA</source>
        <translation>K-330RA</translation>
    </message>
    <message>
        <source>K-330RB</source>
        <translation>K-330RB</translation>
    </message>
</context>
<context>
    <name>CreateCfgClass</name>
    <message>
        <source>Cоздание новой конфигурации</source>
        <translation>New configuration</translation>
    </message>
    <message>
        <source>Модель контроллера</source>
        <translation>Controller model</translation>
    </message>
    <message>
        <source>Выбрать</source>
        <translation>Select</translation>
    </message>
    <message>
        <source>Закрыть</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>ImageFields</name>
    <message>
        <source>ШИМ</source>
        <translation>PWM</translation>
    </message>
    <message>
        <source>СДМ</source>
        <translation>SDM</translation>
    </message>
    <message>
        <source>Откл.</source>
        <translation>Off</translation>
    </message>
</context>
<context>
    <name>Info</name>
    <message>
        <source>K-330RA</source>
        <translation>K-330RA</translation>
    </message>
    <message>
        <source>K-330RB</source>
        <translation>K-330RB</translation>
    </message>
    <message>
        <source>xxxxxxx</source>
        <translation>xxxxxxx</translation>
    </message>
    <message>
        <source>Описание хранится в кодировке Windows-1251, эти знаки не приняты: %1</source>
        <translation>The description is stored in the Windows-1251 encoding; these characters were not accepted: %1</translation>
    </message>
</context>
<context>
    <name>InfoClass</name>
    <message>
        <source>Info</source>
        <translation>Info</translation>
    </message>
    <message>
        <source>Контроллер системы К-330С</source>
        <translation>K-330S system controller</translation>
    </message>
    <message>
        <source>Модель:</source>
        <translation>Model:</translation>
    </message>
    <message>
        <source>K-440RA</source>
        <translation>K-440RA</translation>
    </message>
    <message>
        <source>Версия ПО:</source>
        <translation>Firmware version:</translation>
    </message>
    <message>
        <source>1.0.0</source>
        <translation>1.0.0</translation>
    </message>
    <message>
        <source>Сер. номер:</source>
        <translation>Serial no.:</translation>
    </message>
    <message>
        <source>0000</source>
        <translation>0000</translation>
    </message>
    <message>
        <source>Дата:</source>
        <translation>Date:</translation>
    </message>
    <message>
        <source>01.01.2011</source>
        <translation>01.01.2011</translation>
    </message>
    <message>
        <source>dd.MM.yyyy</source>
        <translation>dd.MM.yyyy</translation>
    </message>
    <message>
        <source>Процессор ID:</source>
        <translation>Processor ID:</translation>
    </message>
    <message>
        <source>5501</source>
        <translation>5501</translation>
    </message>
    <message>
        <source>Процессор S/N:</source>
        <translation>Processor S/N:</translation>
    </message>
    <message>
        <source>0x000000000000000</source>
        <translation>0x000000000000000</translation>
    </message>
    <message>
        <source>Дополнительная информация, 64 символа</source>
        <translation>Additional information, 64 characters</translation>
    </message>
    <message>
        <source>Описание</source>
        <translation>Description</translation>
    </message>
    <message>
        <source>Закрыть</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>InpRadio</name>
    <message>
        <source>Приемник</source>
        <translation>Receiver</translation>
    </message>
    <message>
        <source>Микрофон</source>
        <translation>Microphone</translation>
    </message>
</context>
<context>
    <name>InputClass</name>
    <message>
        <source>Вход</source>
        <translation>Input</translation>
    </message>
    <message>
        <source>Микшер каналов</source>
        <translation>Channel mixer</translation>
    </message>
    <message>
        <source>Основной</source>
        <translation>Main</translation>
    </message>
    <message>
        <source>-12</source>
        <translation>-12</translation>
    </message>
    <message>
        <source>0</source>
        <translation>0</translation>
    </message>
    <message>
        <source>дБ</source>
        <translation>dB</translation>
    </message>
    <message>
        <source>Дополн.</source>
        <translation>Aux.</translation>
    </message>
    <message>
        <source>Усилитель</source>
        <translation>Amplifier</translation>
    </message>
    <message>
        <source>Постоянный</source>
        <translation>Fixed</translation>
    </message>
    <message>
        <source>АРУ</source>
        <translation>AGC</translation>
    </message>
    <message>
        <source>Ограничение</source>
        <translation>Limiting</translation>
    </message>
    <message>
        <source>Усиление</source>
        <translation>Gain</translation>
    </message>
    <message>
        <source>59,5</source>
        <translation>59.5</translation>
    </message>
    <message>
        <source>Уровень выхода</source>
        <translation>Output level</translation>
    </message>
    <message>
        <source>-24</source>
        <translation>-24</translation>
    </message>
    <message>
        <source>-5,5</source>
        <translation>-5.5</translation>
    </message>
    <message>
        <source>Макс. усиление</source>
        <translation>Max. gain</translation>
    </message>
    <message>
        <source>Скорость изменения усиления</source>
        <translation>Gain change rate</translation>
    </message>
    <message>
        <source>Спад</source>
        <translation>Decay</translation>
    </message>
    <message>
        <source>50</source>
        <translation>50</translation>
    </message>
    <message>
        <source>4000</source>
        <translation>4000</translation>
    </message>
    <message>
        <source>мс</source>
        <translation>ms</translation>
    </message>
    <message>
        <source>Нарастание</source>
        <translation>Attack</translation>
    </message>
    <message>
        <source>7</source>
        <translation>7</translation>
    </message>
    <message>
        <source>896</source>
        <translation>896</translation>
    </message>
    <message>
        <source>Задержка детектирования</source>
        <translation>Detection delay</translation>
    </message>
    <message>
        <source>Шум</source>
        <translation>Noise</translation>
    </message>
    <message>
        <source>1536</source>
        <translation>1536</translation>
    </message>
    <message>
        <source>Сигнал</source>
        <translation>Signal</translation>
    </message>
    <message>
        <source>32</source>
        <translation>32</translation>
    </message>
    <message>
        <source>Отсечка шума</source>
        <translation>Noise gate</translation>
    </message>
    <message>
        <source>-90</source>
        <translation>-90</translation>
    </message>
    <message>
        <source>Откл.</source>
        <translation>Off</translation>
    </message>
    <message>
        <source>Порог отсечки</source>
        <translation>Gate threshold</translation>
    </message>
    <message>
        <source>1 дБ</source>
        <translation>1 dB</translation>
    </message>
    <message>
        <source>2 дБ</source>
        <translation>2 dB</translation>
    </message>
    <message>
        <source>3 дБ</source>
        <translation>3 dB</translation>
    </message>
    <message>
        <source>Контроль</source>
        <translation>Test</translation>
    </message>
    <message>
        <source>Сброс</source>
        <translation>Reset</translation>
    </message>
    <message>
        <source>Сохранить</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>Закрыть</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>InputModel</name>
    <message>
        <source>Откл.</source>
        <translation>Off</translation>
    </message>
</context>
<context>
    <name>JournalWindow</name>
    <message>
        <source>Журнал операций</source>
        <translation>Operation records</translation>
    </message>
    <message>
        <source>Серийный номер</source>
        <translation>Serial number</translation>
    </message>
    <message>
        <source>Все операции</source>
        <translation>All operations</translation>
    </message>
    <message>
        <source>все</source>
        <translation>all</translation>
    </message>
    <message>
        <source>с даты</source>
        <translation>from</translation>
    </message>
    <message>
        <source>Обновить</source>
        <translation>Refresh</translation>
    </message>
    <message>
        <source>Экспорт CSV…</source>
        <translation>Export CSV…</translation>
    </message>
    <message>
        <source>Открыть</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>Восстановить…</source>
        <translation>Restore…</translation>
    </message>
    <message>
        <source>Записать в контроллер </source>
        <translation>Write to the controller </translation>
    </message>
    <message>
        <source> конфигурацию из журнала операций?</source>
        <translation> the configuration from the operation records?</translation>
    </message>
    <message>
        <source>Загрузка журнала операций…</source>
        <translation>Loading the operation records…</translation>
    </message>
    <message>
        <source>Записей: %1</source>
        <translation>Records: %1</translation>
    </message>
    <message>
        <source>Журнал операций недоступен: </source>
        <translation>The operation records cannot be reached: </translation>
    </message>
</context>
<context>
    <name>K440</name>
    <message>
        <source>Терминал контроллеров системы К-330С</source>
        <translation>K-330S Controller Terminal</translation>
    </message>
    <message>
        <source>&amp;Создать</source>
        <translation>&amp;New</translation>
    </message>
    <message>
        <source>Cоздать файл конфигурации устройства</source>
        <translation>Create a device configuration file</translation>
    </message>
    <message>
        <source>&amp;Открыть</source>
        <translation>&amp;Open</translation>
    </message>
    <message>
        <source>Открыть файл конфигурации устройства</source>
        <translation>Open a device configuration file</translation>
    </message>
    <message>
        <source>&amp;Сохранить</source>
        <translation>&amp;Save</translation>
    </message>
    <message>
        <source>Сохранить файл конфигурации устройства</source>
        <translation>Save the device configuration file</translation>
    </message>
    <message>
        <source>&amp;Сохранить как</source>
        <translation>Save &amp;as</translation>
    </message>
    <message>
        <source>Сохранить файл конфигурации устройства как...</source>
        <translation>Save the device configuration file as...</translation>
    </message>
    <message>
        <source>&amp;Закрыть...</source>
        <translation>&amp;Close...</translation>
    </message>
    <message>
        <source>Закрыть файл конфигурации устройства</source>
        <translation>Close the device configuration file</translation>
    </message>
    <message>
        <source>&amp;Выход</source>
        <translation>E&amp;xit</translation>
    </message>
    <message>
        <source>Выйти из программы</source>
        <translation>Quit the program</translation>
    </message>
    <message>
        <source>&amp;Прочитать</source>
        <translation>&amp;Read</translation>
    </message>
    <message>
        <source>Прочитать конфигурацию из устройства</source>
        <translation>Read the configuration from the device</translation>
    </message>
    <message>
        <source>&amp;Записать</source>
        <translation>&amp;Write</translation>
    </message>
    <message>
        <source>Записать конфигурацию в устройство</source>
        <translation>Write the configuration to the device</translation>
    </message>
    <message>
        <source>&amp;Загрузить ПО</source>
        <translation>&amp;Load firmware</translation>
    </message>
    <message>
        <source>Обновить программу устройства</source>
        <translation>Update the device firmware</translation>
    </message>
    <message>
        <source>&amp;Пользовательский</source>
        <translation>&amp;User</translation>
    </message>
    <message>
        <source>Установить пользовательский режим</source>
        <translation>Switch to user mode</translation>
    </message>
    <message>
        <source>&amp;Сервис</source>
        <translation>&amp;Service</translation>
    </message>
    <message>
        <source>Установить сервисный режим</source>
        <translation>Switch to service mode</translation>
    </message>
    <message>
        <source>&amp;О программе</source>
        <translation>&amp;About</translation>
    </message>
    <message>
        <source>Информация о версии программы</source>
        <translation>Program version information</translation>
    </message>
    <message>
        <source>Закрыть активное окно</source>
        <translation>Close the active window</translation>
    </message>
    <message>
        <source>Закрыть все окна</source>
        <translation>Close all windows</translation>
    </message>
    <message>
        <source>Развернуть все окна</source>
        <translation>Tile all windows</translation>
    </message>
    <message>
        <source>Каскад окон</source>
        <translation>Cascade windows</translation>
    </message>
    <message>
        <source>&amp;Файл</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>&amp;Задачи</source>
        <translation>&amp;Tasks</translation>
    </message>
    <message>
        <source>&amp;Опции</source>
        <translation>&amp;Options</translation>
    </message>
    <message>
        <source>&amp;Справка</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>Файл</source>
        <translation>File</translation>
    </message>
    <message>
        <source>Задачи</source>
        <translation>Tasks</translation>
    </message>
    <message>
        <source>Лог программы</source>
        <translation>Program log</translation>
    </message>
    <message>
        <source>&amp;%1 %2</source>
        <translation>&amp;%1 %2</translation>
    </message>
    <message>
        <source>файл конфигурации (*.mcd);;Все файлы (*.*)</source>
        <translation>configuration file (*.mcd);;All files (*.*)</translation>
    </message>
    <message>
        <source>K-330RB</source>
        <translation>K-330RB</translation>
    </message>
    <message>
        <source>K-330RA</source>
        <translation>K-330RA</translation>
    </message>
    <message>
        <source>Создана новая конфигурация контроллера </source>
        <translation>New configuration created for controller </translation>
    </message>
    <message>
        <source>Открыть файл</source>
        <translation>Open file</translation>
    </message>
    <message>
        <source>Сохранить файл</source>
        <translation>Save file</translation>
    </message>
    <message>
        <source>Файл </source>
        <translation>File </translation>
    </message>
    <message>
        <source> не удалось открыть.</source>
        <translation> could not be opened.</translation>
    </message>
    <message>
        <source> не соответсвует типу контроллера.</source>
        <translation> does not match the controller type.</translation>
    </message>
    <message>
        <source> не удалось прочитать.</source>
        <translation> could not be read.</translation>
    </message>
    <message>
        <source>Файл открыт</source>
        <translation>File opened</translation>
    </message>
    <message>
        <source> поврежден.</source>
        <translation> is damaged.</translation>
    </message>
    <message>
        <source>Загружена конфигурация из файла: </source>
        <translation>Configuration loaded from file: </translation>
    </message>
    <message>
        <source> байт)</source>
        <translation> bytes)</translation>
    </message>
    <message>
        <source> не удалось записать.</source>
        <translation> could not be written.</translation>
    </message>
    <message>
        <source>Файл сохранен</source>
        <translation>File saved</translation>
    </message>
    <message>
        <source>Конфигурация контроллера </source>
        <translation>Configuration of controller </translation>
    </message>
    <message>
        <source> записана в файл: </source>
        <translation> written to file: </translation>
    </message>
    <message>
        <source>Загружена конфигурация контроллера K-330RA</source>
        <translation>Loaded configuration of controller K-330RA</translation>
    </message>
    <message>
        <source> K-330RA</source>
        <translation> K-330RA</translation>
    </message>
    <message>
        <source>Загружена конфигурация контроллера K-330RB</source>
        <translation>Loaded configuration of controller K-330RB</translation>
    </message>
    <message>
        <source> K-330RB</source>
        <translation> K-330RB</translation>
    </message>
    <message>
        <source>Модель контроллера не определена</source>
        <translation>Controller model not recognised</translation>
    </message>
    <message>
        <source>Закрыть текущее устройство</source>
        <translation>Close the current device</translation>
    </message>
    <message>
        <source>ПО контроллера (*.rom);;Все файлы (*.*)</source>
        <translation>controller firmware (*.rom);;All files (*.*)</translation>
    </message>
    <message>
        <source>Прочитана конфигурация</source>
        <translation>Configuration read</translation>
    </message>
    <message>
        <source>Конфигурация закрыта</source>
        <translation>Configuration closed</translation>
    </message>
    <message>
        <source>Восстановить &amp;несохранённые…</source>
        <translation>Restore &amp;unsaved…</translation>
    </message>
    <message>
        <source>Открыть конфигурацию, закрытую без сохранения в файл</source>
        <translation>Open a configuration closed without saving it to a file</translation>
    </message>
    <message>
        <source>Несохранённую конфигурацию не удалось сохранить в папке </source>
        <translation>Could not keep the unsaved configuration in the folder </translation>
    </message>
    <message>
        <source>Несохранённая конфигурация сохранена для восстановления: </source>
        <translation>Unsaved configuration kept for recovery: </translation>
    </message>
    <message>
        <source>Восстановлена несохранённая конфигурация: </source>
        <translation>Restored unsaved configuration: </translation>
    </message>
    <message>
        <source>&amp;Сохранить лог…</source>
        <translation>&amp;Save log…</translation>
    </message>
    <message>
        <source>&amp;Очистить лог</source>
        <translation>&amp;Clear log</translation>
    </message>
    <message>
        <source>Конфигурация не открыта.</source>
        <translation>No configuration is open.</translation>
    </message>
    <message>
        <source>Создать новую конфигурацию</source>
        <translation>Create a new configuration</translation>
    </message>
    <message>
        <source>Открыть файл конфигурации</source>
        <translation>Open a configuration file</translation>
    </message>
    <message>
        <source>Прочитать конфигурацию из контроллера</source>
        <translation>Read the configuration from the controller</translation>
    </message>
    <message>
        <source>Сохранить лог</source>
        <translation>Save log</translation>
    </message>
    <message>
        <source>Текстовые файлы (*.txt);;Все файлы (*.*)</source>
        <translation>Text files (*.txt);;All files (*.*)</translation>
    </message>
    <message>
        <source>Журнал операций</source>
        <translation>Operation records</translation>
    </message>
    <message>
        <source>Записи операций с контроллерами</source>
        <translation>Records of the operations with controllers</translation>
    </message>
    <message>
        <source>Загружена конфигурация из журнала операций: </source>
        <translation>Configuration loaded from the operation records: </translation>
    </message>
    <message>
        <source>Контроллер </source>
        <translation>Controller </translation>
    </message>
    <message>
        <source> не подключен.</source>
        <translation> is not attached.</translation>
    </message>
    <message>
        <source>Конфигурация не записана: запись уже выполняется.</source>
        <translation>The configuration was not written: a write is already in progress.</translation>
    </message>
    <message>
        <source>Файл ПО </source>
        <translation>Firmware file </translation>
    </message>
    <message>
        <source>&amp;Журнал операций</source>
        <translation>Operation &amp;records</translation>
    </message>
    <message>
        <source>&amp;Закрыть</source>
        <translation>&amp;Close</translation>
    </message>
    <message>
        <source>Закрыть &amp;все</source>
        <translation>Close &amp;all</translation>
    </message>
    <message>
        <source>&amp;Развернуть</source>
        <translation>&amp;Tile</translation>
    </message>
    <message>
        <source>&amp;Каскадом</source>
        <translation>Ca&amp;scade</translation>
    </message>
    <message>
        <source>Ок&amp;но</source>
        <translation>&amp;Window</translation>
    </message>
    <message>
        <source>&amp;Лог программы</source>
        <translation>&amp;Program log</translation>
    </message>
    <message>
        <source>&amp;Дерево устройства</source>
        <translation>&amp;Device tree</translation>
    </message>
    <message>
        <source>Сохранять &amp;конфигурацию перед записью</source>
        <translation>&amp;Keep the configuration before writing</translation>
    </message>
    <message>
        <source>Читать конфигурацию контроллера в журнал операций перед каждой записью</source>
        <translation>Read the controller&apos;s configuration into the operation records before each write</translation>
    </message>
    <message>
        <source>&amp;Журнал на сервере…</source>
        <translation>&amp;Records on a server…</translation>
    </message>
    <message>
        <source>Сервер, на котором ведётся журнал операций</source>
        <translation>The server that keeps the operation records</translation>
    </message>
    <message>
        <source>Журнал операций ведётся на сервере </source>
        <translation>Operation records are kept on the server </translation>
    </message>
    <message>
        <source>Журнал операций ведётся на станции: </source>
        <translation>Operation records are kept on this station: </translation>
    </message>
</context>
<context>
    <name>LinkClass</name>
    <message>
        <source>Протокол</source>
        <translation>Link protocol</translation>
    </message>
    <message>
        <source>Счетчики</source>
        <translation>Counters</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Максимальный размер пакета,&lt;br/&gt;N1 [64..512] байт:&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Maximum packet size,&lt;br/&gt;N1 [64..512] bytes:&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Максимальное количество попыток доставить&lt;br/&gt;пакет с данными, N2 [1...255]:&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Maximum number of attempts to deliver&lt;br/&gt;a data packet, N2 [1...255]:&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Максимальное количество попыток востановить&lt;br/&gt;активность соединения, N3 [1...255]:&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Maximum number of attempts to restore&lt;br/&gt;link activity, N3 [1...255]:&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>Размер буферного окна, K [1...32]:</source>
        <translation>Buffer window size, K [1...32]:</translation>
    </message>
    <message>
        <source>Запрос на подтверждение приема пакета:</source>
        <translation>Request acknowledgement of packets:</translation>
    </message>
    <message>
        <source>Таймеры</source>
        <translation>Timers</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Период следования запросов на установление&lt;br/&gt;соединения, T0 [0..5100] мсек.:&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Period of connection set-up&lt;br/&gt;requests, T0 [0..5100] ms:&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Период повторения не подтвержденных&lt;br/&gt;пакетов, Т1 [20..5100] мсек.:&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Retransmission period of unacknowledged&lt;br/&gt;packets, T1 [20..5100] ms:&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Время по истечении которого отправлется&lt;br/&gt;подтверждение приема пакета, Т2 [20...T1] мсек.:&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Delay before a packet&lt;br/&gt;acknowledgement is sent, T2 [20...T1] ms:&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Период проверки активности&lt;br/&gt;соединения, Т3 [20...5100], мсек.:&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Link activity check&lt;br/&gt;period, T3 [20...5100], ms:&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Расчетное время обнаружения потери&lt;br/&gt;соединения, мсек.:&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Estimated time to detect a lost&lt;br/&gt;link, ms:&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>Режим адаптивной установки таймеров:</source>
        <translation>Adaptive timer setting:</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Максимальный период повторения не подтвержденных&lt;br/&gt;пакетов, Т1 [20..5100] мсек.:&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Maximum retransmission period of unacknowledged&lt;br/&gt;packets, T1 [20..5100] ms:&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>Контроль</source>
        <translation>Test</translation>
    </message>
    <message>
        <source>Сброс</source>
        <translation>Reset</translation>
    </message>
    <message>
        <source>Сохранить</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>Закрыть</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>LivePage</name>
    <message>
        <source>Режим контроля включен: </source>
        <translation>Test mode on: </translation>
    </message>
    <message>
        <source>Режим контроля выключен: </source>
        <translation>Test mode off: </translation>
    </message>
</context>
<context>
    <name>Load</name>
    <message>
        <source>%1 (%2 байт)</source>
        <translation>%1 (%2 bytes)</translation>
    </message>
    <message>
        <source>Файл ПО </source>
        <translation>Firmware file </translation>
    </message>
    <message>
        <source> байт)</source>
        <translation> bytes)</translation>
    </message>
    <message>
        <source>Окно загрузки ПО закрыто, загрузка ПО продолжается</source>
        <translation>Firmware load window closed, the load goes on</translation>
    </message>
</context>
<context>
    <name>MConnClass</name>
    <message>
        <source>Соединение</source>
        <translation>Connection</translation>
    </message>
    <message>
        <source>Параметры передатчика</source>
        <translation>Transmitter settings</translation>
    </message>
    <message>
        <source>Автонастройка
усиления</source>
        <translation>Automatic
gain</translation>
    </message>
    <message>
        <source>Уровень выхода</source>
        <translation>Output level</translation>
    </message>
    <message>
        <source>[максимум]</source>
        <translation>[maximum]</translation>
    </message>
    <message>
        <source>Откл.</source>
        <translation>Off</translation>
    </message>
    <message>
        <source>0</source>
        <translation>0</translation>
    </message>
    <message>
        <source>дБ</source>
        <translation>dB</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Опорный уровень&lt;br/&gt;[ Р отраженная]&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Reference level&lt;br/&gt;[ P reflected]&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>Авторасчет
усиления ошибки</source>
        <translation>Automatic
error gain</translation>
    </message>
    <message>
        <source>Усиление ошибки</source>
        <translation>Error gain</translation>
    </message>
    <message>
        <source>Уровень тона</source>
        <translation>Tone level</translation>
    </message>
    <message>
        <source>Параметры приемника</source>
        <translation>Receiver settings</translation>
    </message>
    <message>
        <source>Порог тона</source>
        <translation>Tone threshold</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Опорный уровень&lt;br/&gt;[ Р входа]&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Reference level&lt;br/&gt;[ P input]&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>Усиление</source>
        <translation>Gain</translation>
    </message>
    <message>
        <source>[максимальное]</source>
        <translation>[maximum]</translation>
    </message>
    <message>
        <source>59,5</source>
        <translation>59.5</translation>
    </message>
    <message>
        <source>Контроль</source>
        <translation>Test</translation>
    </message>
    <message>
        <source>Сброс</source>
        <translation>Reset</translation>
    </message>
    <message>
        <source>Сохранить</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>Закрыть</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>Operation</name>
    <message>
        <source>, загрузка ПО.</source>
        <translation>, loading firmware.</translation>
    </message>
    <message>
        <source>, проверка ПО.</source>
        <translation>, verifying firmware.</translation>
    </message>
    <message>
        <source>, ПО загружено.</source>
        <translation>, firmware loaded.</translation>
    </message>
    <message>
        <source>в режиме boot</source>
        <translation>in boot mode</translation>
    </message>
    <message>
        <source>Ошибка. Загрузка ПО прервана.</source>
        <translation>Error. Firmware load aborted.</translation>
    </message>
    <message>
        <source>К-330RA</source>
        <translation>K-330RA</translation>
    </message>
    <message>
        <source>К-330RB</source>
        <translation>K-330RB</translation>
    </message>
    <message>
        <source>Контроллер </source>
        <translation>Controller </translation>
    </message>
    <message>
        <source>Контроллер K-330RA, чтение конфигурации.</source>
        <translation>Controller K-330RA, reading the configuration.</translation>
    </message>
    <message>
        <source>Контроллер К-330RB, чтение конфигурации.</source>
        <translation>Controller K-330RB, reading the configuration.</translation>
    </message>
    <message>
        <source>Ошибка (</source>
        <translation>Error (</translation>
    </message>
    <message>
        <source>), чтение остановлено</source>
        <translation>), read stopped</translation>
    </message>
    <message>
        <source>Конфигурация повреждена, CRC: 0x</source>
        <translation>Configuration damaged, CRC: 0x</translation>
    </message>
    <message>
        <source>, конфигурации прочитана.</source>
        <translation>, configuration read.</translation>
    </message>
    <message>
        <source>Ошибка. Чтение конфигурации прервано.</source>
        <translation>Error. Configuration read aborted.</translation>
    </message>
    <message>
        <source>Проверка загруженной конфигурации выполнена. Ошибочных </source>
        <translation>Verification of the written configuration done. Differing </translation>
    </message>
    <message>
        <source> байтов</source>
        <translation> bytes</translation>
    </message>
    <message>
        <source>, загрузка конфигурации.</source>
        <translation>, writing the configuration.</translation>
    </message>
    <message>
        <source>, проверка конфигурации.</source>
        <translation>, verifying the configuration.</translation>
    </message>
    <message>
        <source>, конфигурации записана.</source>
        <translation>, configuration written.</translation>
    </message>
    <message>
        <source>Конфигурация не соответсвует типу контроллера.</source>
        <translation>The configuration does not match the controller type.</translation>
    </message>
    <message>
        <source>Ошибка. Запись конфигурации прервана.</source>
        <translation>Error. Configuration write aborted.</translation>
    </message>
    <message>
        <source>Конфигурация контроллера сохранена в журнале операций перед записью</source>
        <translation>The controller&apos;s configuration was kept in the operation records before the write</translation>
    </message>
    <message>
        <source>... и ещё полей: %1</source>
        <translation>... and %1 more fields</translation>
    </message>
    <message>
        <source> не подключен.</source>
        <translation> is not attached.</translation>
    </message>
</context>
<context>
    <name>Oscilloscope</name>
    <message>
        <source>Cтоп</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>Cтарт</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>Монитор запущен: </source>
        <translation>Monitor started: </translation>
    </message>
    <message>
        <source>Монитор остановлен: </source>
        <translation>Monitor stopped: </translation>
    </message>
</context>
<context>
    <name>OscilloscopeClass</name>
    <message>
        <source>Осциллограф</source>
        <translation>Oscilloscope</translation>
    </message>
    <message>
        <source>Кол-во отсчетов</source>
        <translation>Number of samples</translation>
    </message>
    <message>
        <source>Y= 1х1000</source>
        <translation>Y= 1x1000</translation>
    </message>
    <message>
        <source>x1</source>
        <translation>x1</translation>
    </message>
    <message>
        <source>x10</source>
        <translation>x10</translation>
    </message>
    <message>
        <source>x100</source>
        <translation>x100</translation>
    </message>
    <message>
        <source>X=1х1000</source>
        <translation>X=1x1000</translation>
    </message>
    <message>
        <source>Старт</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>Сброс</source>
        <translation>Reset</translation>
    </message>
    <message>
        <source>Закрыть</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Экспорт…</source>
        <translation>Export…</translation>
    </message>
</context>
<context>
    <name>OutputClass</name>
    <message>
        <source>Выход</source>
        <translation>Output</translation>
    </message>
    <message>
        <source>Микшер каналов</source>
        <translation>Channel mixer</translation>
    </message>
    <message>
        <source>Приемник</source>
        <translation>Receiver</translation>
    </message>
    <message>
        <source>Откл.</source>
        <translation>Off</translation>
    </message>
    <message>
        <source>0</source>
        <translation>0</translation>
    </message>
    <message>
        <source>дБ</source>
        <translation>dB</translation>
    </message>
    <message>
        <source>Микрофон</source>
        <translation>Microphone</translation>
    </message>
    <message>
        <source>Модем TX</source>
        <translation>Modem TX</translation>
    </message>
    <message>
        <source>Модем RX</source>
        <translation>Modem RX</translation>
    </message>
    <message>
        <source>Усилитель</source>
        <translation>Amplifier</translation>
    </message>
    <message>
        <source>9</source>
        <translation>9</translation>
    </message>
    <message>
        <source>Контроль</source>
        <translation>Test</translation>
    </message>
    <message>
        <source>Сброс</source>
        <translation>Reset</translation>
    </message>
    <message>
        <source>Сохранить</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>Закрыть</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>OutputModel</name>
    <message>
        <source>Приемник</source>
        <translation>Receiver</translation>
    </message>
    <message>
        <source>Микрофон</source>
        <translation>Microphone</translation>
    </message>
</context>
<context>
    <name>OutputPage</name>
    <message>
        <source>Модель контроллера не определена</source>
        <translation>Controller model not recognised</translation>
    </message>
</context>
<context>
    <name>ProgressWindow</name>
    <message>
        <source>Отменить</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Запрос идентификатора устройства</source>
        <translation>Requesting the device identifier</translation>
    </message>
    <message>
        <source>Закрыть</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>&amp;Да</source>
        <translation>&amp;Yes</translation>
    </message>
    <message>
        <source>&amp;Нет</source>
        <translation>&amp;No</translation>
    </message>
</context>
<context>
    <name>Read</name>
    <message>
        <source>Окно чтения закрыто, чтение конфигурации продолжается</source>
        <translation>Read window closed, the configuration read goes on</translation>
    </message>
</context>
<context>
    <name>ReadClass</name>
    <message>
        <source>Загрузка конфигурации</source>
        <translation>Writing the configuration</translation>
    </message>
    <message>
        <source>Отменить</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>ReceiverClass</name>
    <message>
        <source>Входной усилитель</source>
        <translation>Input amplifier</translation>
    </message>
    <message>
        <source>Вход</source>
        <translation>Input</translation>
    </message>
    <message>
        <source>Микшер каналов</source>
        <translation>Channel mixer</translation>
    </message>
    <message>
        <source>Основной</source>
        <translation>Main</translation>
    </message>
    <message>
        <source>-12</source>
        <translation>-12</translation>
    </message>
    <message>
        <source>0</source>
        <translation>0</translation>
    </message>
    <message>
        <source>дБ</source>
        <translation>dB</translation>
    </message>
    <message>
        <source>Дополн.</source>
        <translation>Aux.</translation>
    </message>
    <message>
        <source>Усилитель</source>
        <translation>Amplifier</translation>
    </message>
    <message>
        <source>Постоянный</source>
        <translation>Fixed</translation>
    </message>
    <message>
        <source>АРУ</source>
        <translation>AGC</translation>
    </message>
    <message>
        <source>Ограничение</source>
        <translation>Limiting</translation>
    </message>
    <message>
        <source>Усиление</source>
        <translation>Gain</translation>
    </message>
    <message>
        <source>59,5</source>
        <translation>59.5</translation>
    </message>
    <message>
        <source>Уровень выхода</source>
        <translation>Output level</translation>
    </message>
    <message>
        <source>-24</source>
        <translation>-24</translation>
    </message>
    <message>
        <source>-5,5</source>
        <translation>-5.5</translation>
    </message>
    <message>
        <source>Макс. усиление</source>
        <translation>Max. gain</translation>
    </message>
    <message>
        <source>Скорость изменения усиления</source>
        <translation>Gain change rate</translation>
    </message>
    <message>
        <source>Спад</source>
        <translation>Decay</translation>
    </message>
    <message>
        <source>50</source>
        <translation>50</translation>
    </message>
    <message>
        <source>4000</source>
        <translation>4000</translation>
    </message>
    <message>
        <source>мс</source>
        <translation>ms</translation>
    </message>
    <message>
        <source>Нарастание</source>
        <translation>Attack</translation>
    </message>
    <message>
        <source>7</source>
        <translation>7</translation>
    </message>
    <message>
        <source>896</source>
        <translation>896</translation>
    </message>
    <message>
        <source>Задержка детектирования</source>
        <translation>Detection delay</translation>
    </message>
    <message>
        <source>Шум</source>
        <translation>Noise</translation>
    </message>
    <message>
        <source>1536</source>
        <translation>1536</translation>
    </message>
    <message>
        <source>Сигнал</source>
        <translation>Signal</translation>
    </message>
    <message>
        <source>32</source>
        <translation>32</translation>
    </message>
    <message>
        <source>Отсечка шума</source>
        <translation>Noise gate</translation>
    </message>
    <message>
        <source>-90</source>
        <translation>-90</translation>
    </message>
    <message>
        <source>Откл.</source>
        <translation>Off</translation>
    </message>
    <message>
        <source>Порог отсечки</source>
        <translation>Gate threshold</translation>
    </message>
    <message>
        <source>1 дБ</source>
        <translation>1 dB</translation>
    </message>
    <message>
        <source>2 дБ</source>
        <translation>2 dB</translation>
    </message>
    <message>
        <source>3 дБ</source>
        <translation>3 dB</translation>
    </message>
    <message>
        <source>Контроль</source>
        <translation>Test</translation>
    </message>
    <message>
        <source>Сброс</source>
        <translation>Reset</translation>
    </message>
    <message>
        <source>Сохранить</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>Закрыть</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>RecordDatabase</name>
    <message>
        <source>папка %1 не может быть создана</source>
        <translation>the folder %1 cannot be created</translation>
    </message>
    <message>
        <source>нет права записи в папку %1</source>
        <translation>no permission to write to the folder %1</translation>
    </message>
    <message>
        <source>драйвер %1 не установлен</source>
        <translation>the %1 driver is not installed</translation>
    </message>
    <message>
        <source>нет образа %1</source>
        <translation>no image %1</translation>
    </message>
</context>
<context>
    <name>RecordStore</name>
    <message>
        <source>%1. Записи сохраняются на станции</source>
        <translation>%1. Records are kept on the station</translation>
    </message>
    <message>
        <source>база создана более новой версией программы (схема %1, эта программа знает схему %2), в неё ничего не записывается</source>
        <translation>the database was created by a newer version of the program (schema %1, this program knows schema %2); nothing is written to it</translation>
    </message>
    <message>
        <source>файл не является базой журнала (%1)</source>
        <translation>the file is not a record database (%1)</translation>
    </message>
    <message>
        <source>Журнал операций не может быть записан в базу %1: %2. Записи сохраняются в файле %3</source>
        <translation>The operation record cannot be written to the database %1: %2. Records are kept in the file %3</translation>
    </message>
    <message>
        <source>Запись об операции %1 не сохранена: базу %2 (%3) и файлы %4, %5 записать нельзя</source>
        <translation>The record of operation %1 was not kept: neither the database %2 (%3) nor the files %4, %5 can be written</translation>
    </message>
    <message>
        <source>Журнал на сервере %1 снова доступен</source>
        <translation>The record server %1 is available again</translation>
    </message>
    <message>
        <source>база на сервере создана более новой версией программы (схема %1, эта программа знает схему %2), в неё ничего не записывается</source>
        <translation>the server database was created by a newer version of the program (schema %1, this program knows schema %2); nothing is written to it</translation>
    </message>
    <message>
        <source>Журнал на сервере %1 недоступен: %2. Записи сохраняются на станции и будут отправлены, когда сервер ответит</source>
        <translation>The record server %1 is unavailable: %2. Records are kept on the station and will be sent when the server answers</translation>
    </message>
</context>
<context>
    <name>RecordTableModel</name>
    <message>
        <source>чтение</source>
        <translation>read</translation>
    </message>
    <message>
        <source>запись</source>
        <translation>write</translation>
    </message>
    <message>
        <source>проверка</source>
        <translation>verify</translation>
    </message>
    <message>
        <source>загрузка ПО</source>
        <translation>firmware load</translation>
    </message>
    <message>
        <source>выполнено</source>
        <translation>done</translation>
    </message>
    <message>
        <source>проверено</source>
        <translation>verified</translation>
    </message>
    <message>
        <source>различается</source>
        <translation>differs</translation>
    </message>
    <message>
        <source>ошибка</source>
        <translation>failed</translation>
    </message>
    <message>
        <source>Время</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>Станция</source>
        <translation>Station</translation>
    </message>
    <message>
        <source>Оператор</source>
        <translation>Operator</translation>
    </message>
    <message>
        <source>Порт</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>Модель</source>
        <translation>Model</translation>
    </message>
    <message>
        <source>Серийный номер</source>
        <translation>Serial number</translation>
    </message>
    <message>
        <source>Операция</source>
        <translation>Operation</translation>
    </message>
    <message>
        <source>Режим</source>
        <translation>Mode</translation>
    </message>
    <message>
        <source>Файл</source>
        <translation>File</translation>
    </message>
    <message>
        <source>Результат</source>
        <translation>Result</translation>
    </message>
    <message>
        <source>Различных байтов</source>
        <translation>Differing bytes</translation>
    </message>
    <message>
        <source>Сообщение</source>
        <translation>Message</translation>
    </message>
    <message>
        <source>Длительность, с</source>
        <translation>Duration, s</translation>
    </message>
</context>
<context>
    <name>RecorderClass</name>
    <message>
        <source>Регистратор</source>
        <translation>Recorder</translation>
    </message>
    <message>
        <source>Микшер каналов</source>
        <translation>Channel mixer</translation>
    </message>
    <message>
        <source>Приемник</source>
        <translation>Receiver</translation>
    </message>
    <message>
        <source>Откл.</source>
        <translation>Off</translation>
    </message>
    <message>
        <source>0</source>
        <translation>0</translation>
    </message>
    <message>
        <source>дБ</source>
        <translation>dB</translation>
    </message>
    <message>
        <source>Микрофон</source>
        <translation>Microphone</translation>
    </message>
    <message>
        <source>Модем TX</source>
        <translation>Modem TX</translation>
    </message>
    <message>
        <source>Модем RX</source>
        <translation>Modem RX</translation>
    </message>
    <message>
        <source>Усилитель</source>
        <translation>Amplifier</translation>
    </message>
    <message>
        <source>9</source>
        <translation>9</translation>
    </message>
    <message>
        <source>Управление </source>
        <translation>Control </translation>
    </message>
    <message>
        <source>Клавиша PTT</source>
        <translation>PTT key</translation>
    </message>
    <message>
        <source>Инд. TX</source>
        <translation>TX ind.</translation>
    </message>
    <message>
        <source>Инд. RX</source>
        <translation>RX ind.</translation>
    </message>
    <message>
        <source>Уровень Rx</source>
        <translation>Rx level</translation>
    </message>
    <message>
        <source>255</source>
        <translation>255</translation>
    </message>
    <message>
        <source>Контроль</source>
        <translation>Test</translation>
    </message>
    <message>
        <source>Сброс</source>
        <translation>Reset</translation>
    </message>
    <message>
        <source>Сохранить</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>Закрыть</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>RecordsSettings</name>
    <message>
        <source>Адрес журнала на сервере не должен содержать пароль: укажите пароль в файле ~/.pgpass, в файле служб PostgreSQL (PGSERVICEFILE) или в переменной окружения PGPASSWORD</source>
        <translation>The record server address must not contain a password: put the password in ~/.pgpass, in a PostgreSQL service file (PGSERVICEFILE) or in the PGPASSWORD environment variable</translation>
    </message>
    <message>
        <source>Адрес журнала на сервере %1 не имеет вида postgresql://пользователь@сервер:порт/база</source>
        <translation>The record server address %1 is not of the form postgresql://user@server:port/database</translation>
    </message>
    <message>
        <source>Адрес журнала на сервере: неизвестный параметр %1</source>
        <translation>Record server address: unknown parameter %1</translation>
    </message>
</context>
<context>
    <name>RecordsSettingsDialog</name>
    <message>
        <source>(адрес с ошибкой)</source>
        <translation>(a faulty address)</translation>
    </message>
    <message>
        <source>Сейчас журнал ведётся на сервере %1, заданном параметром --records или переменной K330_RECORDS. Эта настройка действует, когда они не заданы.</source>
        <translation>The records now go to the server %1, named by the --records option or the K330_RECORDS variable. This setting takes effect when neither is given.</translation>
    </message>
    <message>
        <source>Журнал на сервере</source>
        <translation>Records on a server</translation>
    </message>
    <message>
        <source>Адрес сервера PostgreSQL для журнала операций. Пустое поле: записи ведутся только на этой станции.</source>
        <translation>Address of the PostgreSQL server for the operation records. An empty field: the records are kept on this station only.</translation>
    </message>
</context>
<context>
    <name>RecoveryDialog</name>
    <message>
        <source>Несохранённые конфигурации</source>
        <translation>Unsaved configurations</translation>
    </message>
    <message>
        <source>Время</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>Модель</source>
        <translation>Model</translation>
    </message>
    <message>
        <source>Файл</source>
        <translation>File</translation>
    </message>
    <message>
        <source>(без файла)</source>
        <translation>(no file)</translation>
    </message>
    <message>
        <source>&amp;Открыть</source>
        <translation>&amp;Open</translation>
    </message>
    <message>
        <source>&amp;Закрыть</source>
        <translation>&amp;Close</translation>
    </message>
    <message>
        <source>Несохранённых конфигураций нет.</source>
        <translation>There are no unsaved configurations.</translation>
    </message>
</context>
<context>
    <name>Report</name>
    <message>
        <source>Cтоп</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>Cтарт</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>Статистика запущена</source>
        <translation>Statistics started</translation>
    </message>
    <message>
        <source>Статистика остановлена</source>
        <translation>Statistics stopped</translation>
    </message>
</context>
<context>
    <name>ReportClass</name>
    <message>
        <source>Статистика</source>
        <translation>Statistics</translation>
    </message>
    <message>
        <source>Общая</source>
        <translation>General</translation>
    </message>
    <message>
        <source>&lt;b&gt;Общие параметры работы&lt;/b&gt;</source>
        <translation>&lt;b&gt;General operation&lt;/b&gt;</translation>
    </message>
    <message>
        <source>Время сбора данных, сек.:</source>
        <translation>Data collection time, s:</translation>
    </message>
    <message>
        <source>-</source>
        <translation>-</translation>
    </message>
    <message>
        <source>Количество отправленных пакетов:</source>
        <translation>Packets sent:</translation>
    </message>
    <message>
        <source>Объем отправленных пакетов, байт:</source>
        <translation>Bytes sent:</translation>
    </message>
    <message>
        <source>Количество принятых пакетов:</source>
        <translation>Packets received:</translation>
    </message>
    <message>
        <source>Объем принятых пакетов, байт:</source>
        <translation>Bytes received:</translation>
    </message>
    <message>
        <source>Количество ошибочных пакетов:</source>
        <translation>Packets with errors:</translation>
    </message>
    <message>
        <source>Среднее время задержки, сек:</source>
        <translation>Average delay, s:</translation>
    </message>
    <message>
        <source>&lt;b&gt;Загрузка&lt;/b&gt;</source>
        <translation>&lt;b&gt;Load&lt;/b&gt;</translation>
    </message>
    <message>
        <source>Модем, буфер приёмника:</source>
        <translation>Modem, receive buffer:</translation>
    </message>
    <message>
        <source>Модем, буфер передатчика:</source>
        <translation>Modem, transmit buffer:</translation>
    </message>
    <message>
        <source>Загрузка процессора,%:</source>
        <translation>Processor load,%:</translation>
    </message>
    <message>
        <source>Канал управления</source>
        <translation>Control channel</translation>
    </message>
    <message>
        <source>&lt;b&gt;Параметры передачи&lt;/b&gt;</source>
        <translation>&lt;b&gt;Transmission&lt;/b&gt;</translation>
    </message>
    <message>
        <source>Счетчик установленных соединений:</source>
        <translation>Connections established:</translation>
    </message>
    <message>
        <source>Количество повторных передач пакетов:</source>
        <translation>Packet retransmissions:</translation>
    </message>
    <message>
        <source>Буфер не подтвержденных  пакетов:</source>
        <translation>Unacknowledged packet buffer:</translation>
    </message>
    <message>
        <source>&lt;b&gt;Параметры приема&lt;/b&gt;</source>
        <translation>&lt;b&gt;Reception&lt;/b&gt;</translation>
    </message>
    <message>
        <source>&lt;b&gt;Интерфейс BUS+:&lt;/b&gt;</source>
        <translation>&lt;b&gt;BUS+ interface:&lt;/b&gt;</translation>
    </message>
    <message>
        <source>Количество ошибок:</source>
        <translation>Errors:</translation>
    </message>
    <message>
        <source>Количество повторных запросов:</source>
        <translation>Repeated requests:</translation>
    </message>
    <message>
        <source>Канал аудио</source>
        <translation>Audio channel</translation>
    </message>
    <message>
        <source>&lt;b&gt;Параметры енкодера&lt;/b&gt;</source>
        <translation>&lt;b&gt;Encoder&lt;/b&gt;</translation>
    </message>
    <message>
        <source>&lt;b&gt;Параметры декодера&lt;/b&gt;</source>
        <translation>&lt;b&gt;Decoder&lt;/b&gt;</translation>
    </message>
    <message>
        <source>Среднее время задержки кадров, мсек.:</source>
        <translation>Average frame delay, ms:</translation>
    </message>
    <message>
        <source>Модем</source>
        <translation>Modem</translation>
    </message>
    <message>
        <source>&lt;b&gt;Параметры передатчика&lt;/b&gt;</source>
        <translation>&lt;b&gt;Transmitter&lt;/b&gt;</translation>
    </message>
    <message>
        <source>Уровень выходного сигнала, дБ:</source>
        <translation>Output signal level, dB:</translation>
    </message>
    <message>
        <source>&lt;b&gt;Параметры приемника&lt;/b&gt;</source>
        <translation>&lt;b&gt;Receiver&lt;/b&gt;</translation>
    </message>
    <message>
        <source>Усиление по входу, дБ:</source>
        <translation>Input gain, dB:</translation>
    </message>
    <message>
        <source>Усиление цифровой АРУ, дБ:</source>
        <translation>Digital AGC gain, dB:</translation>
    </message>
    <message>
        <source>Старт</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>Сброс</source>
        <translation>Reset</translation>
    </message>
    <message>
        <source>Закрыть</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Экспорт…</source>
        <translation>Export…</translation>
    </message>
</context>
<context>
    <name>ServiceClass</name>
    <message>
        <source>Выбор сервисного режима</source>
        <translation>Service mode selection</translation>
    </message>
    <message>
        <source>Сервисный код</source>
        <translation>Service code</translation>
    </message>
    <message>
        <source>Ввод</source>
        <translation>Enter</translation>
    </message>
    <message>
        <source>Закрыть</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>Session</name>
    <message>
        <source>Файл </source>
        <translation>File </translation>
    </message>
    <message>
        <source> не удалось открыть.</source>
        <translation> could not be opened.</translation>
    </message>
    <message>
        <source> не удалось прочитать.</source>
        <translation> could not be read.</translation>
    </message>
</context>
<context>
    <name>TThread</name>
    <message>
        <source>Ошибка передачи команды: </source>
        <translation>Command send error: </translation>
    </message>
    <message>
        <source> ошибка=</source>
        <translation> error=</translation>
    </message>
    <message>
        <source>Ошибка приема команды: </source>
        <translation>Command receive error: </translation>
    </message>
    <message>
        <source>Ошибка ID команды: </source>
        <translation>Command ID error: </translation>
    </message>
    <message>
        <source>Трассировка остановлена: </source>
        <translation>Trace stopped: </translation>
    </message>
    <message>
        <source> ответов подряд с чужим ID команды</source>
        <translation> replies in a row with a foreign command ID</translation>
    </message>
    <message>
        <source>Ошибка запроса идентификатора устройства=&gt;</source>
        <translation>Device identifier request error=&gt;</translation>
    </message>
    <message>
        <source>Ошибка приема идентификатора устройства=&gt;</source>
        <translation>Device identifier receive error=&gt;</translation>
    </message>
    <message>
        <source>Ошибка приема идентификатора устройства</source>
        <translation>Device identifier receive error</translation>
    </message>
    <message>
        <source>Ошибка, версия ПО контроллера не поддерживается</source>
        <translation>Error, the controller firmware version is not supported</translation>
    </message>
    <message>
        <source>Ошибка запроса конфигурации устройства=&gt;</source>
        <translation>Device configuration request error=&gt;</translation>
    </message>
    <message>
        <source>Ошибка приема конфигурации устройства=&gt;</source>
        <translation>Device configuration receive error=&gt;</translation>
    </message>
    <message>
        <source>Процесс чтения конфигурации завершен, получено </source>
        <translation>Configuration read finished, received </translation>
    </message>
    <message>
        <source> байт.</source>
        <translation> bytes.</translation>
    </message>
    <message>
        <source>Конфигурация не соответсвует типу контроллера.</source>
        <translation>The configuration does not match the controller type.</translation>
    </message>
    <message>
        <source>Ошибка записи в устройства=&gt;</source>
        <translation>Device write error=&gt;</translation>
    </message>
    <message>
        <source>Ошибка подтверждения записи=&gt;</source>
        <translation>Write acknowledgement error=&gt;</translation>
    </message>
    <message>
        <source>Загрузка конфигурации завершена, передано </source>
        <translation>Configuration write finished, sent </translation>
    </message>
    <message>
        <source>Ошибка запроса данных =&gt;</source>
        <translation>Data request error =&gt;</translation>
    </message>
    <message>
        <source>Ошибка приема данных=&gt;</source>
        <translation>Data receive error=&gt;</translation>
    </message>
    <message>
        <source>Проверка загруженной конфигурации выполнена. Ошибочных </source>
        <translation>Verification of the written configuration done. Differing </translation>
    </message>
    <message>
        <source> байтов</source>
        <translation> bytes</translation>
    </message>
    <message>
        <source>Нет доступа к контроллеру на шине USB (права доступа), Error=</source>
        <translation>No access to the controller on the USB bus (permissions), Error=</translation>
    </message>
    <message>
        <source>Контроллер на шине USB не открывается, Error=</source>
        <translation>The controller on the USB bus cannot be opened, Error=</translation>
    </message>
    <message>
        <source>Конфигурация контроллера не доступна, Error=</source>
        <translation>The controller configuration is not available, Error=</translation>
    </message>
    <message>
        <source>Интерфейс контроллера не доступен</source>
        <translation>The controller interface is not available</translation>
    </message>
    <message>
        <source>Ошибка Ep1out=&gt;</source>
        <translation>Ep1out error=&gt;</translation>
    </message>
    <message>
        <source>Ошибка Ep1in=&gt;</source>
        <translation>Ep1in error=&gt;</translation>
    </message>
    <message>
        <source>Ошибка Ep2in=&gt;</source>
        <translation>Ep2in error=&gt;</translation>
    </message>
    <message>
        <source>Ошибка передачи данных=&gt;</source>
        <translation>Data send error=&gt;</translation>
    </message>
    <message>
        <source>Ошибка инициализации соединения</source>
        <translation>Connection initialisation error</translation>
    </message>
    <message>
        <source>Контроллер VELK K-330S подключен к шине USB</source>
        <translation>Controller VELK K-330S connected to the USB bus</translation>
    </message>
    <message>
        <source>Контроллер VELK K-330S отключен от шины USB</source>
        <translation>Controller VELK K-330S disconnected from the USB bus</translation>
    </message>
    <message>
        <source>Контроллер VELK K-330С отключен от шины USB</source>
        <translation>Controller VELK K-330S disconnected from the USB bus</translation>
    </message>
    <message>
        <source>Ошибка запроса RDSR=&gt;</source>
        <translation>RDSR request error=&gt;</translation>
    </message>
    <message>
        <source>Ошибка чтения RDSR=&gt;</source>
        <translation>RDSR read error=&gt;</translation>
    </message>
    <message>
        <source>Ошибка, флеш-память занята дольше 10 с</source>
        <translation>Error, the flash memory has been busy for more than 10 s</translation>
    </message>
    <message>
        <source>Процесс загрузки ПО запущен</source>
        <translation>Firmware load started</translation>
    </message>
    <message>
        <source>Ошибка передачи WREN=&gt;</source>
        <translation>WREN send error=&gt;</translation>
    </message>
    <message>
        <source>Ошибка подтверждения WREN=&gt;</source>
        <translation>WREN acknowledgement error=&gt;</translation>
    </message>
    <message>
        <source>Ошибка передачи SE=&gt;</source>
        <translation>SE send error=&gt;</translation>
    </message>
    <message>
        <source>Ошибка подтверждения SE=&gt;</source>
        <translation>SE acknowledgement error=&gt;</translation>
    </message>
    <message>
        <source>Ошибка передачи WrData=&gt;</source>
        <translation>WrData send error=&gt;</translation>
    </message>
    <message>
        <source>Ошибка подтверждения WrData=&gt;</source>
        <translation>WrData acknowledgement error=&gt;</translation>
    </message>
    <message>
        <source>Процесс загрузки ПО завершен, передано </source>
        <translation>Firmware load finished, sent </translation>
    </message>
    <message>
        <source>Процесс проверки ПО запущен</source>
        <translation>Firmware verification started</translation>
    </message>
    <message>
        <source>Ошибка запроса RdData=&gt;</source>
        <translation>RdData request error=&gt;</translation>
    </message>
    <message>
        <source>Ошибка приема RdData=&gt;</source>
        <translation>RdData receive error=&gt;</translation>
    </message>
    <message>
        <source>Проверка загруженного ПО выполнена. Ошибочных </source>
        <translation>Verification of the loaded firmware done. Differing </translation>
    </message>
    <message>
        <source>Процесс загрузки ПО (boot_mode) запущен</source>
        <translation>Firmware load (boot_mode) started</translation>
    </message>
    <message>
        <source>Процесс загрузки ПО (boot_mode) завершен. Передано </source>
        <translation>Firmware load (boot_mode) finished. Sent </translation>
    </message>
    <message>
        <source> байт</source>
        <translation> bytes</translation>
    </message>
    <message>
        <source>Переданы параметры=&gt;</source>
        <translation>Parameters sent=&gt;</translation>
    </message>
    <message>
        <source>Переданы параметры: </source>
        <translation>Parameters sent: </translation>
    </message>
    <message>
        <source>Ошибка передачи команды кодека=&gt;</source>
        <translation>Codec command send error=&gt;</translation>
    </message>
    <message>
        <source>Ошибка передачи команды усилителя=&gt;</source>
        <translation>Amplifier command send error=&gt;</translation>
    </message>
    <message>
        <source>Ошибка подтверждения команды кодека=&gt;</source>
        <translation>Codec command acknowledgement error=&gt;</translation>
    </message>
    <message>
        <source>Ошибка подтверждения команды усилителя=&gt;</source>
        <translation>Amplifier command acknowledgement error=&gt;</translation>
    </message>
    <message>
        <source>Ошибка монитора= </source>
        <translation>Monitor error= </translation>
    </message>
    <message>
        <source>Ошибка Ep6out=&gt;</source>
        <translation>Ep6out error=&gt;</translation>
    </message>
    <message>
        <source>Выбранный контроллер %1 отключен, выбран первый в списке: %2</source>
        <translation>The chosen controller %1 was disconnected; the first one listed is chosen: %2</translation>
    </message>
</context>
<context>
    <name>Trace</name>
    <message>
        <source>ошибка канала=</source>
        <translation>channel error=</translation>
    </message>
    <message>
        <source>Сохранить файл</source>
        <translation>Save file</translation>
    </message>
    <message>
        <source>файл трассировки (*.log);;Все файлы (*.*)</source>
        <translation>trace file (*.log);;All files (*.*)</translation>
    </message>
    <message>
        <source>Файл </source>
        <translation>File </translation>
    </message>
    <message>
        <source> не удалось открыть.</source>
        <translation> could not be opened.</translation>
    </message>
    <message>
        <source>Файл трассировки </source>
        <translation>Trace file </translation>
    </message>
    <message>
        <source> открыт.</source>
        <translation> opened.</translation>
    </message>
    <message>
        <source>Cтоп</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>Cтарт</source>
        <translation>Start</translation>
    </message>
    <message>
        <source> закрыт.</source>
        <translation> closed.</translation>
    </message>
    <message>
        <source> закрыт: ошибка записи.</source>
        <translation> closed: write error.</translation>
    </message>
    <message>
        <source> не удалось записать.</source>
        <translation> could not be written.</translation>
    </message>
    <message>
        <source>Трассировка запущена</source>
        <translation>Trace started</translation>
    </message>
    <message>
        <source>Трассировка остановлена</source>
        <translation>Trace stopped</translation>
    </message>
</context>
<context>
    <name>TraceClass</name>
    <message>
        <source>Трассировка</source>
        <translation>Trace</translation>
    </message>
    <message>
        <source>Каналы</source>
        <translation>Channels</translation>
    </message>
    <message>
        <source>Bus+ (RxD)</source>
        <translation>Bus+ (RxD)</translation>
    </message>
    <message>
        <source>Bus+ (TxD)</source>
        <translation>Bus+ (TxD)</translation>
    </message>
    <message>
        <source>Link   (RxD)</source>
        <translation>Link   (RxD)</translation>
    </message>
    <message>
        <source>Link   (TxD)</source>
        <translation>Link   (TxD)</translation>
    </message>
    <message>
        <source>Опции</source>
        <translation>Options</translation>
    </message>
    <message>
        <source>Сохранить</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>Дисплей</source>
        <translation>Display</translation>
    </message>
    <message>
        <source>Старт</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>Сброс</source>
        <translation>Reset</translation>
    </message>
    <message>
        <source>Закрыть</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>TransmitterClass</name>
    <message>
        <source>Выходной усилитель</source>
        <translation>Output amplifier</translation>
    </message>
    <message>
        <source>Микшер каналов</source>
        <translation>Channel mixer</translation>
    </message>
    <message>
        <source>Передатчик</source>
        <translation>Transmitter</translation>
    </message>
    <message>
        <source>Откл.</source>
        <translation>Off</translation>
    </message>
    <message>
        <source>0</source>
        <translation>0</translation>
    </message>
    <message>
        <source>дБ</source>
        <translation>dB</translation>
    </message>
    <message>
        <source>Приемник</source>
        <translation>Receiver</translation>
    </message>
    <message>
        <source>Радио TX</source>
        <translation>Radio TX</translation>
    </message>
    <message>
        <source>Радио RX</source>
        <translation>Radio RX</translation>
    </message>
    <message>
        <source>Усилитель</source>
        <translation>Amplifier</translation>
    </message>
    <message>
        <source>9</source>
        <translation>9</translation>
    </message>
    <message>
        <source>Контроль</source>
        <translation>Test</translation>
    </message>
    <message>
        <source>Сброс</source>
        <translation>Reset</translation>
    </message>
    <message>
        <source>Сохранить</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>Закрыть</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>ViewExport</name>
    <message>
        <source>Изображение PNG (*.png)</source>
        <translation>PNG image (*.png)</translation>
    </message>
    <message>
        <source>Таблица CSV (*.csv)</source>
        <translation>CSV table (*.csv)</translation>
    </message>
    <message>
        <source>Экспорт</source>
        <translation>Export</translation>
    </message>
    <message>
        <source>Файл </source>
        <translation>File </translation>
    </message>
    <message>
        <source> не удалось открыть.</source>
        <translation> could not be opened.</translation>
    </message>
    <message>
        <source> не удалось записать.</source>
        <translation> could not be written.</translation>
    </message>
</context>
<context>
    <name>VocModel</name>
    <message>
        <source>Откл.</source>
        <translation>Off</translation>
    </message>
</context>
<context>
    <name>VocoderClass</name>
    <message>
        <source>Вокодер</source>
        <translation>Vocoder</translation>
    </message>
    <message>
        <source>Кодер</source>
        <translation>Encoder</translation>
    </message>
    <message>
        <source>Управление по PTT</source>
        <translation>PTT control</translation>
    </message>
    <message>
        <source>Режим VAD</source>
        <translation>VAD mode</translation>
    </message>
    <message>
        <source>Режим VBR</source>
        <translation>VBR mode</translation>
    </message>
    <message>
        <source>Шумоподавитель</source>
        <translation>Noise suppressor</translation>
    </message>
    <message>
        <source>Кодирование, кбит/с</source>
        <translation>Coding rate, kbit/s</translation>
    </message>
    <message>
        <source>Размер пакета, мс</source>
        <translation>Packet size, ms</translation>
    </message>
    <message>
        <source>Декодер</source>
        <translation>Decoder</translation>
    </message>
    <message>
        <source>Размер буфера, мс</source>
        <translation>Buffer size, ms</translation>
    </message>
    <message>
        <source>Управление буфером</source>
        <translation>Buffer control</translation>
    </message>
    <message>
        <source>Усиление VAD</source>
        <translation>VAD gain</translation>
    </message>
    <message>
        <source>Усиление ANC</source>
        <translation>ANC gain</translation>
    </message>
    <message>
        <source>Контроль</source>
        <translation>Test</translation>
    </message>
    <message>
        <source>Сброс</source>
        <translation>Reset</translation>
    </message>
    <message>
        <source>Сохранить</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>Закрыть</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>WindowTitle</name>
    <message>
        <source>Идентификация</source>
        <translation>Identification</translation>
    </message>
    <message>
        <source>Задачи</source>
        <translation>Tasks</translation>
    </message>
    <message>
        <source>Прочитать</source>
        <translation>Read</translation>
    </message>
    <message>
        <source>Записать</source>
        <translation>Write</translation>
    </message>
    <message>
        <source>Загрузить ПО</source>
        <translation>Load firmware</translation>
    </message>
    <message>
        <source>Устройства</source>
        <translation>Devices</translation>
    </message>
    <message>
        <source>Радиостанция</source>
        <translation>Radio</translation>
    </message>
    <message>
        <source>Вход микрофона</source>
        <translation>Microphone input</translation>
    </message>
    <message>
        <source>Выход приемника</source>
        <translation>Receiver output</translation>
    </message>
    <message>
        <source>Выход гарнитуры</source>
        <translation>Headset output</translation>
    </message>
    <message>
        <source>Выход аксессуарный</source>
        <translation>Accessory output</translation>
    </message>
    <message>
        <source>Вход приемника</source>
        <translation>Receiver input</translation>
    </message>
    <message>
        <source>Выход микрофона</source>
        <translation>Microphone output</translation>
    </message>
    <message>
        <source>Вокодер</source>
        <translation>Vocoder</translation>
    </message>
    <message>
        <source>Усилитель НЧ</source>
        <translation>LF amplifier</translation>
    </message>
    <message>
        <source>Регистратор</source>
        <translation>Recorder</translation>
    </message>
    <message>
        <source>Модем</source>
        <translation>Modem</translation>
    </message>
    <message>
        <source>Соединение</source>
        <translation>Connection</translation>
    </message>
    <message>
        <source>Кодек</source>
        <translation>Codec</translation>
    </message>
    <message>
        <source>Входной усилитель</source>
        <translation>Input amplifier</translation>
    </message>
    <message>
        <source>Выходной усилитель</source>
        <translation>Output amplifier</translation>
    </message>
    <message>
        <source>Протокол</source>
        <translation>Link protocol</translation>
    </message>
    <message>
        <source>Монитор</source>
        <translation>Monitor</translation>
    </message>
    <message>
        <source>Статистика</source>
        <translation>Statistics</translation>
    </message>
    <message>
        <source>Созвездие</source>
        <translation>Constellation</translation>
    </message>
    <message>
        <source>Сигнал АЦП</source>
        <translation>ADC signal</translation>
    </message>
    <message>
        <source>Сигнал ЦАП</source>
        <translation>DAC signal</translation>
    </message>
    <message>
        <source>Канал 3</source>
        <translation>Channel 3</translation>
    </message>
    <message>
        <source>Канал 4</source>
        <translation>Channel 4</translation>
    </message>
    <message>
        <source>Трассировка</source>
        <translation>Trace</translation>
    </message>
    <message>
        <source>Информация</source>
        <translation>Information</translation>
    </message>
    <message>
        <source>О программе</source>
        <translation>About</translation>
    </message>
</context>
<context>
    <name>Write</name>
    <message>
        <source>Окно записи закрыто, запись конфигурации продолжается</source>
        <translation>Write window closed, the configuration write goes on</translation>
    </message>
</context>
<context>
    <name>k330ctl</name>
    <message>
        <source>Файл </source>
        <translation>File </translation>
    </message>
    <message>
        <source> не удалось открыть.</source>
        <translation> could not be opened.</translation>
    </message>
    <message>
        <source> не соответсвует типу контроллера.</source>
        <translation> does not match the controller type.</translation>
    </message>
    <message>
        <source> не удалось прочитать.</source>
        <translation> could not be read.</translation>
    </message>
    <message>
        <source> поврежден.</source>
        <translation> is damaged.</translation>
    </message>
    <message>
        <source> не удалось записать.</source>
        <translation> could not be written.</translation>
    </message>
    <message>
        <source>Конфигурация контроллера </source>
        <translation>Configuration of controller </translation>
    </message>
    <message>
        <source> байт) записана в файл: </source>
        <translation> bytes) written to file: </translation>
    </message>
    <message>
        <source>Создана новая конфигурация контроллера </source>
        <translation>New configuration created for controller </translation>
    </message>
    <message>
        <source>Процессор S/N:</source>
        <translation>Processor S/N:</translation>
    </message>
    <message>
        <source>Процессор ID:</source>
        <translation>Processor ID:</translation>
    </message>
    <message>
        <source>Версия ПО:</source>
        <translation>Firmware version:</translation>
    </message>
    <message>
        <source>Контроллеры на шине USB не найдены.</source>
        <translation>No controllers found on the USB bus.</translation>
    </message>
    <message>
        <source>Журнал операций недоступен: </source>
        <translation>The operation records cannot be reached: </translation>
    </message>
    <message>
        <source>В журнале операций нет конфигурации контроллера </source>
        <translation>The operation records hold no configuration of the controller </translation>
    </message>
    <message>
        <source>Контроллер </source>
        <translation>Controller </translation>
    </message>
    <message>
        <source> не подключен.</source>
        <translation> is not attached.</translation>
    </message>
    <message>
        <source>успешно</source>
        <translation>success</translation>
    </message>
    <message>
        <source>файлы совпадают</source>
        <translation>the files are equal</translation>
    </message>
    <message>
        <source>файлы различаются</source>
        <translation>the files differ</translation>
    </message>
    <message>
        <source>содержимое контроллера отличается от файла</source>
        <translation>the controller&apos;s contents differ from the file</translation>
    </message>
    <message>
        <source>ошибка в командной строке</source>
        <translation>usage error</translation>
    </message>
    <message>
        <source>контроллер не найден</source>
        <translation>no controller</translation>
    </message>
    <message>
        <source>сбой обмена (обмен не удался или контроллер отказал)</source>
        <translation>transfer failure (the exchange failed or the controller refused it)</translation>
    </message>
    <message>
        <source>недопустимый файл (не открывается, короткий, поврежден, неизвестная модель)</source>
        <translation>invalid file (cannot be opened, short, damaged, unknown model)</translation>
    </message>
    <message>
        <source>выходной файл не удается записать (прежний файл остается как был)</source>
        <translation>the output file cannot be written (a previous file is left as it was)</translation>
    </message>
    <message>
        <source>Вывести результат в формате JSON на стандартный вывод.</source>
        <translation>Print the result as JSON on stdout.</translation>
    </message>
    <message>
        <source>Конфигурации разных моделей: %1 и %2; сравниваются только общие разделы.</source>
        <translation>Configurations of different models: %1 and %2; only the sections both have are compared.</translation>
    </message>
    <message>
        <source>Режим работы при записи: от 1 (пользовательский, только разделы; по умолчанию) до 6, или 10 (также область информации).</source>
        <translation>Operating mode to write in: 1 (user, the sections only; default) to 6, or 10 (also the information area).</translation>
    </message>
    <message>
        <source>Файл конфигурации.</source>
        <translation>Configuration file.</translation>
    </message>
    <message>
        <source>Сохранить новую конфигурацию, которую терминал создает для модели.</source>
        <translation>Save the new configuration that the terminal makes for the model.</translation>
    </message>
    <message>
        <source>Модель контроллера: RA или RB.</source>
        <translation>Controller model: RA or RB.</translation>
    </message>
    <message>
        <source>Вывести идентификацию, информацию и каждый раздел FILE в виде именованных полей.</source>
        <translation>List identity, information and every section of FILE as named fields.</translation>
    </message>
    <message>
        <source>Сравнивать также серийный номер и идентификатор процессора.</source>
        <translation>Also compare the processor serial number and identifier.</translation>
    </message>
    <message>
        <source>Записать FILE в контроллер и проверить запись чтением.</source>
        <translation>Write FILE to the controller and verify it by reading it back.</translation>
    </message>
    <message>
        <source>Прочитать контроллер и сравнить с FILE: поля, которыми они различаются (FILE | контроллер). Ничего не пишет.</source>
        <translation>Read the controller and compare it with FILE: the fields that differ (FILE | controller). Writes nothing.</translation>
    </message>
    <message>
        <source>Загрузить ПО во флеш-память контроллера и проверить его (режим загрузки без рукопожатия).</source>
        <translation>Load firmware into the controller&apos;s flash and verify it (boot mode without a handshake).</translation>
    </message>
    <message>
        <source>Файл ПО контроллера.</source>
        <translation>Controller firmware file.</translation>
    </message>
    <message>
        <source>Вывести подключенные контроллеры по пути порта: модель, серийный номер и ID процессора, версия ПО.</source>
        <translation>List the attached controllers by port path: model, processor serial and ID, firmware.</translation>
    </message>
    <message>
        <source>Сравнение контроллера с файлом выполнено, в контроллер ничего не записано. Ошибочных %1 байтов</source>
        <translation>Comparison of the controller with the file done, nothing was written to the controller. Differing bytes: %1</translation>
    </message>
    <message>
        <source>Конфигурации и ПО контроллеров K-330S из командной строки.</source>
        <translation>K-330S controller configurations and firmware from the command line.</translation>
    </message>
    <message>
        <source>Команды:</source>
        <translation>Commands:</translation>
    </message>
    <message>
        <source>Показать эту справку.</source>
        <translation>Show this help.</translation>
    </message>
    <message>
        <source>Контроллер открылся, но не отвечает: переподключите его и повторите команду.</source>
        <translation>The controller opened but does not answer: reconnect it and run the command again.</translation>
    </message>
    <message>
        <source>Контроллер (USB 0451:9001) не подключен: подключите его к шине USB и повторите команду.</source>
        <translation>No controller (USB 0451:9001) is attached: attach it to the USB bus and run the command again.</translation>
    </message>
    <message>
        <source>Нет прав доступа к контроллеру: правило udev 70-k330s.rules не действует. Установите его, перезагрузите правила и переподключите контроллер (см. README, &quot;Attaching a real controller&quot;).</source>
        <translation>No permission to use the controller: the udev rule 70-k330s.rules is not active. Install it, reload the rules and reconnect the controller (see the README, &quot;Attaching a real controller&quot;).</translation>
    </message>
    <message>
        <source>Контроллер занят другой программой (например, открытым терминалом): закройте ее и повторите команду.</source>
        <translation>The controller is busy with another program (an open terminal, for instance): close it and run the command again.</translation>
    </message>
    <message>
        <source>Контроллер не открывается (ошибка %1): переподключите его и повторите команду.</source>
        <translation>The controller cannot be opened (error %1): reconnect it and run the command again.</translation>
    </message>
    <message>
        <source>diff: файлы совпадают</source>
        <translation>diff: the files are equal</translation>
    </message>
    <message>
        <source>diff: файлы различаются; write, verify, load-firmware: содержимое контроллера отличается от файла</source>
        <translation>diff: the files differ; write, verify, load-firmware: the controller&apos;s contents differ from the file</translation>
    </message>
    <message>
        <source>Сохранить конфигурацию в &lt;file&gt; (для нескольких контроллеров: в папку &lt;file&gt;).</source>
        <translation>Save the configuration to &lt;file&gt; (several controllers: into the folder &lt;file&gt;).</translation>
    </message>
    <message>
        <source>Вывести поля, которыми различаются A и B (раздел / поле: A | B); у файлов разных моделей только общие разделы; record:UUID — образ записи журнала операций.</source>
        <translation>List the fields that differ between A and B (section / field: A | B); for files of different models only the sections they share; record:UUID names the image of an operation record.</translation>
    </message>
    <message>
        <source>Прочитать конфигурацию контроллера в FILE (нескольких контроллеров: по файлу в FOLDER, по серийному номеру).</source>
        <translation>Read the controller&apos;s configuration into FILE (several controllers: one file each in FOLDER, named by processor serial).</translation>
    </message>
    <message>
        <source>Вывести записи журнала операций, новые первыми.</source>
        <translation>List the operation records, newest first.</translation>
    </message>
    <message>
        <source>Записать обратно конфигурацию, которая была в контроллере перед его последней записью (или на момент TIME).</source>
        <translation>Write back the configuration the unit held before its last write (or at TIME).</translation>
    </message>
    <message>
        <source>В журнале операций нет конфигурации в записи </source>
        <translation>The operation records hold no configuration in the record </translation>
    </message>
    <message>
        <source>&apos;k330ctl COMMAND --help&apos; перечисляет параметры команды и ее коды завершения. Команды
для контроллера принимают --simulate, --sim-model RA|RB, --sim-state FILE и --usb-trace FILE,
а из нескольких подключенных выбирают --device PATH|SERIAL (можно повторять) или --all;
несколько работают одновременно.
Сообщения и ход выполнения выводятся в стандартный поток ошибок.
--lang ru|en выбирает язык сообщений: по умолчанию русский, английский там,
где язык рабочего стола не русский и не локаль C.</source>
        <translation>&apos;k330ctl COMMAND --help&apos; lists the options of a command and its exit statuses. The
controller commands take --simulate, --sim-model RA|RB, --sim-state FILE and --usb-trace FILE,
and choose among several attached controllers with --device PATH|SERIAL (repeatable) or --all;
several run at once.
Messages and progress go to standard error.
--lang ru|en chooses the language of the messages: Russian by default, English
where the desktop&apos;s language is neither Russian nor the C locale.</translation>
    </message>
    <message>
        <source>Контроллер с путём порта &lt;id&gt; или с серийным номером процессора &lt;id&gt;, как их выводит &apos;k330ctl list&apos;; повторите его для нескольких контроллеров, которые тогда работают одновременно.</source>
        <translation>The controller at port path &lt;id&gt; or with processor serial &lt;id&gt;, as &apos;k330ctl list&apos; prints them; repeat it for several controllers, which then run at once.</translation>
    </message>
    <message>
        <source>Все контроллеры, подключенные к началу работы, одновременно.</source>
        <translation>Every controller attached at the start, all at once.</translation>
    </message>
    <message>
        <source>Не сохранять в журнале операций конфигурацию контроллера перед записью.</source>
        <translation>Do not read the controller&apos;s configuration into the operation records before writing.</translation>
    </message>
</context>
</TS>
